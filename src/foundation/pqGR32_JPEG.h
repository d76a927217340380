#pragma once
// Zone images: 32-bit bitmaps (QImage Format_ARGB32) loaded from and saved to JPEG files.

#include "platform/ijl.h"

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

// A failure status of the JPEG library, with the operation and the file it concerned.
class EIJLError : public std::runtime_error {
public:
    EIJLError(const std::string& operation, const std::string& file_name, int status);
    const std::string& operation() const { return operation_; }
    int status() const { return status_; }

private:
    std::string operation_;
    int status_;
};

// Writes the bitmap as a 3-channel JPEG file at the quality (0 to 100); alpha is dropped.
// Throws std::runtime_error "No image to save" for an empty bitmap, EIJLError on failure.
// Without flush_to_disk the file replaces the old one without waiting for the disk: for images
// that can be made again at any time.
void SaveJPEG(const QImage& bitmap, const std::string& file_name, uint8_t quality,
              bool flush_to_disk = true);

// What LoadJPEG reads: the file's size, and the image's width, height and pixels.
struct TJpegLimits {
    size_t file_bytes = ijl_max_file_bytes;
    int width = ijl_max_side;
    int height = ijl_max_side;
    uint64_t pixels = ijl_max_pixels;
};

// Replaces the bitmap by the decoded file as Format_ARGB32. 1- and 3-channel files become
// opaque colours; 4-channel files carry alpha, and their colours come premultiplied by it.
// The file is read once, and the image decoded straight into the bitmap's new pixels.
// Throws std::runtime_error "Bitmap not initialised" for no bitmap, EIJLError on failure (a
// file or an image past the limits: "reading parameters of" with IJL_FILE_TOO_LARGE or
// IJL_IMAGE_TOO_LARGE); the bitmap is left unchanged by a failure. `size`, when given, gets the
// image's size once its header was read.
void LoadJPEG(QImage* bitmap, const std::string& file_name, const TJpegLimits& limits = {},
              QSize* size = nullptr);

// Turns width x height pixels of red, green, blue and alpha bytes into blue, green, red and
// alpha, each colour premultiplied by alpha as (c * a + 1) >> 8.
void PremultiplyRGBA(uint8_t* pixels, int width, int height);
