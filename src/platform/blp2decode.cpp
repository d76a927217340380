#include "platform/blp2decode.h"

#include "foundation/binary_io.h"

#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <squish.h>
#include <string_view>
#include <vector>

namespace {

static_assert(std::endian::native == std::endian::little);

enum Encoding : uint8_t { kPalettized = 1, kDxt = 2, kRawBgra = 3 };
enum AlphaEncoding : uint8_t { kAlphaDxt1 = 0, kAlphaDxt3 = 1, kAlphaDxt5 = 7 };

struct Header {
    std::string magic;
    uint32_t type = 0;
    uint8_t encoding = 0;
    uint8_t alpha_depth = 0;
    uint8_t alpha_encoding = 0;
    uint32_t mip0_offset = 0;
};

Header read_header(const uint8_t* bytes) {
    ByteReader r(std::string_view(reinterpret_cast<const char*>(bytes), kBlp2HeaderSize));
    Header h;
    h.magic = r.bytes(4);
    h.type = r.u32();
    h.encoding = r.u8();
    h.alpha_depth = r.u8();
    h.alpha_encoding = r.u8();
    r.skip(1 + 4 + 4); // mip flag, width, height
    h.mip0_offset = r.u32();
    return h;
}

uint32_t argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Rows are handed out bottom row first: row y of the texture lands in output row height-1-y.
uint32_t* out_row(uint32_t* out, uint32_t width, uint32_t height, uint32_t y) {
    return out + static_cast<size_t>(height - 1 - y) * width;
}

// Palette entries are blue, green, red, alpha; the palette's own alpha is not used.
void decode_palettized(const uint8_t* src, const uint8_t* palette, uint32_t alpha_depth,
                       uint32_t width, uint32_t height, uint32_t* out) {
    uint32_t colours[256];
    for (int i = 0; i < 256; ++i) {
        const uint8_t* e = palette + 4 * i;
        colours[i] = argb(0, e[2], e[1], e[0]);
    }
    const size_t count = size_t{width} * height;
    const uint8_t* alpha = src + count;
    for (size_t i = 0; i < count; ++i) {
        uint32_t a = 255;
        switch (alpha_depth) {
        case 1:
            a = ((alpha[i >> 3] >> (i & 7)) & 1) ? 255 : 0;
            break;
        case 4:
            a = ((alpha[i >> 1] >> ((i & 1) * 4)) & 0x0F) * 17;
            break;
        case 8:
            a = alpha[i];
            break;
        default:
            break;
        }
        out_row(out, width, height, static_cast<uint32_t>(i / width))[i % width] =
            colours[src[i]] | (a << 24);
    }
}

void decode_dxt(const uint8_t* src, int flags, bool opaque, uint32_t width, uint32_t height,
                uint32_t* out) {
    const size_t block_size = (flags & squish::kDxt1) ? 8 : 16;
    const uint32_t alpha_mask = opaque ? 0xFF000000u : 0;
    // Red, green, blue, alpha bytes read as one little-endian word: red and blue change places.
    auto to_argb = [alpha_mask](uint32_t v) {
        return (v & 0xFF00FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16) | alpha_mask;
    };
    uint32_t rgba[16];
    for (uint32_t by = 0; by < height; by += 4) {
        const uint32_t rows = std::min<uint32_t>(4, height - by);
        uint32_t* lines[4];
        for (uint32_t y = 0; y < rows; ++y)
            lines[y] = out_row(out, width, height, by + y);
        for (uint32_t bx = 0; bx < width; bx += 4, src += block_size) {
            squish::Decompress(reinterpret_cast<squish::u8*>(rgba), src, flags);
            const uint32_t cols = std::min<uint32_t>(4, width - bx);
            if (rows == 4 && cols == 4) {
                for (uint32_t i = 0; i < 16; ++i)
                    lines[i / 4][bx + i % 4] = to_argb(rgba[i]);
                continue;
            }
            for (uint32_t y = 0; y < rows; ++y)
                for (uint32_t x = 0; x < cols; ++x)
                    lines[y][bx + x] = to_argb(rgba[4 * y + x]);
        }
    }
}

void decode_raw_bgra(const uint8_t* src, bool opaque, uint32_t width, uint32_t height,
                     uint32_t* out) {
    const uint32_t alpha_mask = opaque ? 0xFF000000u : 0;
    for (uint32_t y = 0; y < height; ++y) {
        uint32_t* line = out_row(out, width, height, y);
        for (uint32_t x = 0; x < width; ++x, src += 4)
            line[x] = argb(src[3], src[2], src[1], src[0]) | alpha_mask;
    }
}

std::vector<std::unique_ptr<uint32_t[]>>& handed_out() {
    static std::vector<std::unique_ptr<uint32_t[]>> buffers;
    return buffers;
}

} // namespace

uint8_t* BLP2DECODE_BLP2toRGBA(const uint8_t* header, const uint8_t* data, uint32_t data_length,
                               uint32_t* result_length, const uint8_t* palette, uint32_t width,
                               uint32_t height) {
    if (result_length)
        *result_length = 0;
    if (!header || !palette || !result_length || (!data && data_length > 0))
        return nullptr;
    const Header h = read_header(header);
    if (h.magic != "BLP2" || h.type != 1 || width == 0 || height == 0)
        return nullptr;
    const uint64_t pixels = uint64_t{width} * height;
    if (pixels * 4 > std::numeric_limits<uint32_t>::max())
        return nullptr;

    // Mip level 0 starts at its file offset, counted here from the start of the data.
    if (h.mip0_offset < kBlp2DataOffset || h.mip0_offset - kBlp2DataOffset > data_length)
        return nullptr;
    const uint8_t* src = data + (h.mip0_offset - kBlp2DataOffset);
    const uint64_t available = data_length - (h.mip0_offset - kBlp2DataOffset);

    uint64_t needed = 0;
    int dxt_flags = 0;
    switch (h.encoding) {
    case kPalettized:
        if (h.alpha_depth != 0 && h.alpha_depth != 1 && h.alpha_depth != 4 && h.alpha_depth != 8)
            return nullptr;
        needed = pixels + (pixels * h.alpha_depth + 7) / 8;
        break;
    case kDxt:
        if (h.alpha_encoding == kAlphaDxt1)
            dxt_flags = squish::kDxt1;
        else if (h.alpha_encoding == kAlphaDxt3)
            dxt_flags = squish::kDxt3;
        else if (h.alpha_encoding == kAlphaDxt5)
            dxt_flags = squish::kDxt5;
        else
            return nullptr;
        needed =
            uint64_t{(width + 3) / 4} * ((height + 3) / 4) * (dxt_flags == squish::kDxt1 ? 8 : 16);
        break;
    case kRawBgra:
        needed = pixels * 4;
        break;
    default:
        return nullptr;
    }
    if (needed > available)
        return nullptr;

    std::unique_ptr<uint32_t[]> out(new (std::nothrow) uint32_t[pixels]);
    if (!out)
        return nullptr;
    const bool opaque = h.alpha_depth == 0;
    switch (h.encoding) {
    case kPalettized:
        decode_palettized(src, palette, h.alpha_depth, width, height, out.get());
        break;
    case kDxt:
        decode_dxt(src, dxt_flags, opaque, width, height, out.get());
        break;
    default:
        decode_raw_bgra(src, opaque, width, height, out.get());
        break;
    }
    *result_length = static_cast<uint32_t>(pixels * 4);
    handed_out().push_back(std::move(out));
    return reinterpret_cast<uint8_t*>(handed_out().back().get());
}

void BLP2DECODE_FreeAll() {
    handed_out().clear();
}
