#include "foundation/binary_io.h"
#include "platform/blp2decode.h"
#include "support/blp_writer.h"

#include <gtest/gtest.h>
#include <squish.h>

namespace {

// The decoder's own output for a whole texture file as the tile loader passes it: rows bottom
// row first; empty when nothing is decoded.
std::vector<uint32_t> decode_raw(const std::string& file) {
    std::vector<uint32_t> result;
    if (file.size() < kBlp2DataOffset)
        return result;
    const auto* b = reinterpret_cast<const uint8_t*>(file.data());
    ByteReader header(std::string_view(file).substr(0, kBlp2HeaderSize), 12);
    const uint32_t width = header.u32();
    const uint32_t height = header.u32();
    uint32_t length = 12345;
    const uint8_t* px = BLP2DECODE_BLP2toRGBA(b, b + kBlp2DataOffset,
                                              static_cast<uint32_t>(file.size() - kBlp2DataOffset),
                                              &length, b + kBlp2HeaderSize, width, height);
    if (px) {
        EXPECT_EQ(uint64_t{length}, uint64_t{width} * height * 4);
        result.resize(length / 4);
        std::memcpy(result.data(), px, length);
    } else {
        EXPECT_EQ(length, 0u);
    }
    BLP2DECODE_FreeAll();
    return result;
}

// The decoded pixels with their rows in the file's order, top row first.
std::vector<uint32_t> decode(const std::string& file) {
    std::vector<uint32_t> px = decode_raw(file);
    if (px.empty())
        return px;
    const uint32_t width = ByteReader(std::string_view(file).substr(0, 16), 12).u32();
    std::vector<uint32_t> rows(px.size());
    for (size_t from = 0, to = px.size(); from < px.size(); from += width, to -= width)
        std::copy_n(px.begin() + static_cast<ptrdiff_t>(from), width,
                    rows.begin() + static_cast<ptrdiff_t>(to - width));
    return rows;
}

std::vector<uint32_t> decode(const Blp2Texture& t) {
    return decode(blp2_file(t));
}

Blp2Texture palettized(uint32_t width, uint32_t height, uint8_t alpha_depth) {
    Blp2Texture t{.width = width, .height = height, .encoding = 1, .alpha_depth = alpha_depth};
    for (int i = 0; i < 256; ++i) {
        t.palette[4 * i + 0] = static_cast<uint8_t>(i);       // blue
        t.palette[4 * i + 1] = static_cast<uint8_t>(255 - i); // green
        t.palette[4 * i + 2] = static_cast<uint8_t>(i * 7);   // red
        t.palette[4 * i + 3] = 0x55;                          // never used
    }
    for (uint32_t i = 0; i < width * height; ++i)
        t.data.push_back(static_cast<char>((i * 37) & 0xFF));
    return t;
}

// One DXT1 block of two 5:6:5 colours and 2-bit indices.
std::string dxt1_block(uint16_t c0, uint16_t c1, uint32_t indices) {
    ByteWriter w;
    w.u16(c0);
    w.u16(c1);
    w.u32(indices);
    return w.data();
}

} // namespace

TEST(Blp2Decode, PalettizedAlphaPlanesFollowTheIndices) {
    // Eight pixels (4 x 2); the palette's own alpha is ignored.
    auto check = [](uint8_t depth, const std::string& plane, std::vector<uint32_t> alphas) {
        SCOPED_TRACE(int(depth));
        Blp2Texture t = palettized(4, 2, depth);
        t.data += plane;
        const auto px = decode(t);
        ASSERT_EQ(px.size(), 8u);
        for (uint32_t i = 0; i < 8; ++i) {
            EXPECT_EQ(px[i] >> 24, alphas[i]) << i;
            const uint8_t* e = &t.palette[4 * static_cast<uint8_t>(t.data[i])];
            EXPECT_EQ(px[i] & 0xFFFFFF, uint32_t{e[2]} << 16 | uint32_t{e[1]} << 8 | e[0]) << i;
        }
    };
    check(0, "", std::vector<uint32_t>(8, 255));
    check(1, "\xA5", {255, 0, 255, 0, 0, 255, 0, 255}); // lowest bit first
    check(4, std::string("\x10\x32\xF4\x0F", 4),
          {0, 17, 34, 51, 68, 255, 255, 0}); // low nibble first
    check(8, std::string("\x00\x01\x7F\x80\xFE\xFF\x10\x20", 8),
          {0, 1, 127, 128, 254, 255, 16, 32});
}

TEST(Blp2Decode, RawBgraBottomRowFirstAndPartialDxtBlocks) {
    Blp2Texture raw = blp2_raw_bgra(1, 2, 8, std::string("\x01\x02\x03\x04\xFF\xEE\xDD\x00", 8));
    EXPECT_EQ(decode_raw(blp2_file(raw)), (std::vector<uint32_t>{0x00DDEEFF, 0x04030201}));
    raw.alpha_depth = 0;
    EXPECT_EQ(decode(raw), (std::vector<uint32_t>{0xFF030201, 0xFFDDEEFF}));

    // 5 x 3 pixels: two blocks, the second only one column and three rows of it used.
    Blp2Texture t{.width = 5, .height = 3, .encoding = 2};
    t.data = dxt1_block(0xF800, 0, 0) + dxt1_block(0x001F, 0, 0);
    const auto px = decode(t);
    ASSERT_EQ(px.size(), 15u);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            EXPECT_EQ(px[y * 5 + x], x < 4 ? 0xFFFF0000u : 0xFF0000FFu) << x << "," << y;

    // The transparent index of a three-colour block is transparent black with a one-bit alpha
    // and opaque black without alpha.
    Blp2Texture clear{.width = 4, .height = 4, .encoding = 2, .alpha_depth = 1};
    clear.data = dxt1_block(0x0000, 0xFFFF, 0xFFFFFFFF);
    EXPECT_EQ(decode(clear), std::vector<uint32_t>(16, 0u));
    clear.alpha_depth = 0;
    EXPECT_EQ(decode(clear), std::vector<uint32_t>(16, 0xFF000000u));
}

TEST(Blp2Decode, RefusesWhatTheDataCannotFill) {
    const Blp2Texture dxt1 = blp2_dxt(test_pattern(16, 16, false, 3), 16, 16, squish::kDxt1, 0);
    const Blp2Texture dxt5 = blp2_dxt(test_pattern(16, 16, true, 4), 16, 16, squish::kDxt5, 8);
    Blp2Texture pal8 = palettized(16, 16, 8);
    pal8.data.append(256, '\x80');
    const Blp2Texture raw = blp2_raw_bgra(16, 16, 0, std::string(16 * 16 * 4, '\x40'));
    for (const Blp2Texture* good : std::vector<const Blp2Texture*>{&dxt1, &dxt5, &pal8, &raw}) {
        EXPECT_EQ(decode(*good).size(), 256u);
        Blp2Texture t = *good;
        t.data.pop_back();
        EXPECT_TRUE(decode(t).empty()) << "one byte short, encoding " << int(t.encoding);
    }

    auto refused = [&](auto change) {
        Blp2Texture t = dxt1;
        change(t);
        return decode(t).empty();
    };
    EXPECT_TRUE(refused([](Blp2Texture& t) { t.height = 0; }));
    EXPECT_TRUE(refused([](Blp2Texture& t) { t.width = t.height = 0xFFFFFFFF; }));
    EXPECT_TRUE(refused([](Blp2Texture& t) { t.encoding = 4; }));
    EXPECT_TRUE(refused([](Blp2Texture& t) { t.alpha_encoding = 5; }));
    EXPECT_TRUE(refused([](Blp2Texture& t) { t.mip0_offset = 0; }));
    EXPECT_TRUE(refused([](Blp2Texture& t) { t.mip0_offset = 0xFFFFFFF0; }));
    EXPECT_TRUE(refused([](Blp2Texture& t) {
        t.encoding = 1;
        t.alpha_depth = 2;
    }));
    // A mip offset further on leaves the data before it unused.
    EXPECT_TRUE(refused([](Blp2Texture& t) { t.mip0_offset += 8; }));
    Blp2Texture later = dxt1;
    later.mip0_offset += 8;
    later.data.insert(0, 8, '\0');
    EXPECT_EQ(decode(later), decode(dxt1));

    for (size_t at : {3, 4}) { // "BLP1"; JPEG content
        std::string file = blp2_file(dxt1);
        file[at] = at == 3 ? '1' : '\0';
        EXPECT_TRUE(decode(file).empty()) << at;
    }
}
