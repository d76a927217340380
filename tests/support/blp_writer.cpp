#include "support/blp_writer.h"

#include "foundation/binary_io.h"

#include <random>
#include <squish.h>

std::string blp2_file(const Blp2Texture& t) {
    ByteWriter w;
    w.bytes("BLP2");
    w.u32(1);
    w.u8(t.encoding);
    w.u8(t.alpha_depth);
    w.u8(t.alpha_encoding);
    w.u8(0); // no mip levels beyond the first
    w.u32(t.width);
    w.u32(t.height);
    w.u32(t.mip0_offset);
    for (int i = 1; i < 16; ++i)
        w.u32(0);
    w.u32(static_cast<uint32_t>(t.data.size()));
    for (int i = 1; i < 16; ++i)
        w.u32(0);
    w.bytes(std::string_view(reinterpret_cast<const char*>(t.palette.data()), t.palette.size()));
    return w.data() + t.data;
}

Blp2Texture blp2_dxt(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height,
                     int dxt_flag, uint8_t alpha_depth) {
    Blp2Texture t;
    t.width = width;
    t.height = height;
    t.encoding = 2;
    t.alpha_depth = alpha_depth;
    t.alpha_encoding = dxt_flag == squish::kDxt1 ? 0 : dxt_flag == squish::kDxt3 ? 1 : 7;
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    t.data.resize(static_cast<size_t>(squish::GetStorageRequirements(w, h, dxt_flag)));
    squish::CompressImage(rgba.data(), w, h, t.data.data(), dxt_flag | squish::kColourRangeFit);
    return t;
}

Blp2Texture blp2_raw_bgra(uint32_t width, uint32_t height, uint8_t alpha_depth, std::string bgra) {
    Blp2Texture t;
    t.width = width;
    t.height = height;
    t.encoding = 3;
    t.alpha_depth = alpha_depth;
    t.data = std::move(bgra);
    return t;
}

std::vector<uint8_t> test_pattern(uint32_t width, uint32_t height, bool alpha, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-12, 12);
    auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    std::vector<uint8_t> px(size_t{width} * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* p = &px[(size_t{y} * width + x) * 4];
            p[0] = clamp(static_cast<int>(x * 255 / width) + noise(rng));
            p[1] = clamp(static_cast<int>(y * 255 / height) + noise(rng));
            p[2] = clamp(static_cast<int>((x + y) * 127 / (width + height)) + 64 + noise(rng));
            p[3] = 255;
            if (alpha) {
                p[3] = static_cast<uint8_t>((x / 4 + y / 8) * 37);
                if (x < width / 4 && y < height / 4)
                    p[3] = 0;
            }
        }
    }
    return px;
}
