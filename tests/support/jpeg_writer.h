#pragma once
// JPEG fixture files written with libjpeg itself, independently of the code under test.

#include <cstdint>
#include <string>
#include <vector>

#include <jpeglib.h>

// width x height pixels of `components` bytes each, in in_space, stored as jpeg_space (no
// chroma subsampling for 4-component spaces, libjpeg's defaults otherwise), sequential or
// progressive.
bool write_test_jpeg(const std::string& path, int width, int height, int components,
                     J_COLOR_SPACE in_space, J_COLOR_SPACE jpeg_space,
                     const std::vector<uint8_t>& pixels, int quality = 100,
                     bool progressive = false);
