#pragma once
// Decoder of BLP2 textures, mip level 0: palettized (alpha depth 0, 1, 4 or 8, the alpha plane
// after the index plane), DXT1, DXT3, DXT5 and raw BGRA.

#include <cstdint>

constexpr uint32_t kBlp2HeaderSize = 148;
constexpr uint32_t kBlp2PaletteSize = 1024; // 256 entries of blue, green, red, alpha
constexpr uint32_t kBlp2DataOffset = kBlp2HeaderSize + kBlp2PaletteSize;

// header: the file's first 148 bytes; palette: the 1024 bytes after it; data: the rest of the
// file (data_length bytes, starting at file offset 1172). Returns width x height pixels, the
// texture's bottom row first (as a bottom-up bitmap holds them), each a 32-bit ARGB value in native
// byte order (QImage::Format_ARGB32), and sets *result_length to their size in bytes. The pixels
// stay valid until BLP2DECODE_FreeAll. A texture that cannot be decoded (unknown encoding, zero
// size, data too short for the size) gives nullptr and a length of 0.
uint8_t* BLP2DECODE_BLP2toRGBA(const uint8_t* header, const uint8_t* data, uint32_t data_length,
                               uint32_t* result_length, const uint8_t* palette, uint32_t width,
                               uint32_t height);

// Releases every buffer handed out by BLP2DECODE_BLP2toRGBA.
void BLP2DECODE_FreeAll();
