#pragma once
// Zone images: 32-bit bitmaps (QImage Format_ARGB32) loaded from and saved to JPEG files.

#include <QImage>
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

// Replaces the bitmap by the decoded file as Format_ARGB32. 1- and 3-channel files become
// opaque colours; 4-channel files carry alpha, and their colours come premultiplied by it.
// Throws std::runtime_error "Bitmap not initialised" for no bitmap, EIJLError on failure; the
// bitmap is left unchanged by a failure.
void LoadJPEG(QImage* bitmap, const std::string& file_name);

// Turns width x height pixels of red, green, blue and alpha bytes into blue, green, red and
// alpha, each colour premultiplied by alpha as (c * a + 1) >> 8.
void PremultiplyRGBA(uint8_t* pixels, int width, int height);
