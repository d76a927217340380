#pragma once
// A small JPEG library interface over libjpeg-turbo: one property record per call, a status per
// operation (0 = success), whole-image reads and writes between a file (or, for reads, bytes in
// memory) and a device-independent bitmap buffer (rows padded to a multiple of 4 bytes).

#include <cstddef>
#include <cstdint>
#include <string>

enum IJL_COLOR {
    IJL_COLOR_NONE = 0,
    IJL_RGB,        // 3 channels, red first
    IJL_BGR,        // 3 channels, blue first
    IJL_YCBCR,      // 3 channels, luminance and chrominance
    IJL_G,          // 1 channel, grey
    IJL_RGBA_FPX,   // 4 channels, red first, with alpha
    IJL_YCBCRA_FPX, // 4 channels, luminance and chrominance, with alpha
    IJL_OTHER       // anything else: no conversion is offered
};

enum IJLIOTYPE {
    IJL_JFILE_READPARAMS = 0,
    IJL_JBUFF_READPARAMS = 1,
    IJL_JFILE_READWHOLEIMAGE = 2,
    IJL_JBUFF_READWHOLEIMAGE = 3,
    IJL_JFILE_WRITEWHOLEIMAGE = 8,
};

// Status values; every failure is negative.
enum IJLERR {
    IJL_OK = 0,
    IJL_NOT_INITIALISED = -1,
    IJL_BAD_ARGUMENT = -2,
    IJL_CANNOT_OPEN_FILE = -3,
    IJL_CANNOT_WRITE_FILE = -4,
    IJL_BAD_DATA = -5,
    IJL_UNSUPPORTED_CONVERSION = -6,
    IJL_BAD_BITMAP = -7,
    IJL_IMAGE_TOO_LARGE = -8, // more than 8192 x 8192 pixels, or than the caller allows
    IJL_FILE_TOO_LARGE = -9,  // more bytes than the reader allows
};

// What the reads take at most: the pixels of an image (8192 x 8192) and the bytes of a file.
constexpr uint64_t ijl_max_pixels = uint64_t{1} << 26;
constexpr int ijl_max_side = 8192;
constexpr size_t ijl_max_file_bytes = size_t{256} << 20;

struct JPEG_CORE_PROPERTIES {
    // Bitmap side. A negative height means rows top-down; a positive one, bottom-up. With
    // IJL_BGR, 3 channels are blue, green, red; 4 channels add a fourth byte of 255.
    uint8_t* dib_bytes = nullptr;
    int dib_width = 0;
    int dib_height = 0;
    int dib_padding = 0; // bytes after each row
    int dib_channels = 0;
    IJL_COLOR dib_color = IJL_COLOR_NONE;

    // JPEG side. The file name is Windows-1252 text; the IJL_JBUFF_ operations read the bytes
    // given instead.
    std::string jpg_file;
    const uint8_t* jpg_bytes = nullptr;
    size_t jpg_size_bytes = 0;
    int jpg_width = 0;
    int jpg_height = 0;
    int jpg_channels = 0;
    IJL_COLOR jpg_color = IJL_COLOR_NONE;
    int quality = 0; // 0 to 100
    // A written file replaces the old one once it is on disk; false: as soon as it is written,
    // without waiting for the disk (for files that can be made again at any time).
    bool flush_to_disk = true;

    bool initialised = false;
};

int ijlInit(JPEG_CORE_PROPERTIES* props);
int ijlFree(JPEG_CORE_PROPERTIES* props);
// IJL_JFILE_READPARAMS fills the JPEG width, height and channel count from the named file
// (images of more than 8192 x 8192 pixels, and files of more than 256 MB, are refused);
// IJL_JFILE_READWHOLEIMAGE decodes it into the bitmap buffer in the bitmap's colour model.
// IJL_JBUFF_READPARAMS and IJL_JBUFF_READWHOLEIMAGE do the same with the bytes given.
int ijlRead(JPEG_CORE_PROPERTIES* props, IJLIOTYPE io_type);
// IJL_JFILE_WRITEWHOLEIMAGE encodes a 3-channel BGR bitmap as a YCbCr file at the quality,
// replacing an existing file only once the whole image is encoded.
int ijlWrite(JPEG_CORE_PROPERTIES* props, IJLIOTYPE io_type);
const char* ijlErrorStr(int status);

// Bytes that pad a row of `width` pixels of `channels` bytes to a multiple of 4.
inline int ijl_row_padding(int width, int channels) {
    return ((width * channels + 3) / 4) * 4 - width * channels;
}
