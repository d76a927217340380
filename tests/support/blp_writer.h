#pragma once
// BLP2 texture files for tests and benchmarks: header, palette and mip level 0.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Blp2Texture {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t encoding = 1; // 1 palettized, 2 DXT, 3 raw BGRA
    uint8_t alpha_depth = 0;
    uint8_t alpha_encoding = 0;          // DXT: 0 DXT1, 1 DXT3, 7 DXT5
    uint32_t mip0_offset = 1172;         // written as given
    std::array<uint8_t, 1024> palette{}; // blue, green, red, alpha per entry
    std::string data{};                  // placed right after the palette
};

// The whole file: "BLP2", the header fields, the palette, then the data.
std::string blp2_file(const Blp2Texture& t);

// DXT texture compressed by libsquish from width x height pixels of red, green, blue, alpha
// bytes. dxt_flag is squish::kDxt1, kDxt3 or kDxt5.
Blp2Texture blp2_dxt(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height,
                     int dxt_flag, uint8_t alpha_depth);

// Raw texture from width x height pixels of blue, green, red, alpha bytes.
Blp2Texture blp2_raw_bgra(uint32_t width, uint32_t height, uint8_t alpha_depth, std::string bgra);

// width x height pixels of red, green, blue, alpha bytes: smooth colour ramps and, when
// `alpha` is set, alpha stripes and a transparent corner; deterministic for a seed.
std::vector<uint8_t> test_pattern(uint32_t width, uint32_t height, bool alpha, uint32_t seed);
