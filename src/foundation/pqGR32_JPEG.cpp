#include "foundation/pqGR32_JPEG.h"

#include "foundation/text_codec.h"
#include "platform/ijl.h"

#include <QFile>

#include <cstdio>

namespace {

std::string format_message(const std::string& operation, const std::string& file_name, int status) {
    const char* text = "Error %s image:\r%s\rError: %s\rIJL Error number: %d";
    const char* error = ijlErrorStr(status);
    const std::string name = path_text(file_name);
    const int n = std::snprintf(nullptr, 0, text, operation.c_str(), name.c_str(), error, status);
    std::string out(static_cast<size_t>(n), '\0');
    std::snprintf(out.data(), out.size() + 1, text, operation.c_str(), name.c_str(), error, status);
    return out;
}

// Calls ijlFree once the record was initialised, whatever happens afterwards.
class IjlSession {
public:
    explicit IjlSession(const std::string& file_name) {
        const int status = ijlInit(&props);
        if (status != IJL_OK)
            throw EIJLError("initialising for", file_name, status);
        props.jpg_file = file_name;
    }
    ~IjlSession() { ijlFree(&props); }
    IjlSession(const IjlSession&) = delete;
    IjlSession& operator=(const IjlSession&) = delete;

    JPEG_CORE_PROPERTIES props{};
};

QImage make_bitmap(int width, int height, QImage::Format format) {
    QImage image(width, height, format);
    if (image.isNull())
        throw std::runtime_error("Bitmap pixel buffer not available");
    return image;
}

} // namespace

EIJLError::EIJLError(const std::string& operation, const std::string& file_name, int status)
    : std::runtime_error(format_message(operation, file_name, status)), operation_(operation),
      status_(status) {}

void SaveJPEG(const QImage& bitmap, const std::string& file_name, uint8_t quality,
              bool flush_to_disk) {
    if (bitmap.isNull() || bitmap.width() <= 0 || bitmap.height() <= 0)
        throw std::runtime_error("No image to save");
    IjlSession session(file_name);

    // The pixels' colour bytes as they stand, alpha dropped.
    QImage source = bitmap;
    if (source.format() != QImage::Format_ARGB32 && source.format() != QImage::Format_RGB32 &&
        source.format() != QImage::Format_ARGB32_Premultiplied)
        source = source.convertToFormat(QImage::Format_ARGB32);
    const int width = source.width();
    const int height = source.height();
    QImage copy = make_bitmap(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(source.constScanLine(y));
        uint8_t* out = copy.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const uint32_t c = in[x];
            *out++ = static_cast<uint8_t>(c);
            *out++ = static_cast<uint8_t>(c >> 8);
            *out++ = static_cast<uint8_t>(c >> 16);
        }
    }

    JPEG_CORE_PROPERTIES& p = session.props;
    p.dib_bytes = copy.bits();
    p.dib_width = width;
    p.dib_height = -height;
    p.dib_channels = 3;
    p.dib_color = IJL_BGR;
    p.dib_padding = static_cast<int>(copy.bytesPerLine()) - width * 3;
    p.jpg_width = width;
    p.jpg_height = height;
    p.jpg_channels = 3;
    p.jpg_color = IJL_YCBCR;
    p.quality = quality;
    p.flush_to_disk = flush_to_disk;
    const int status = ijlWrite(&p, IJL_JFILE_WRITEWHOLEIMAGE);
    if (status != IJL_OK)
        throw EIJLError("Saving", file_name, status);
}

void LoadJPEG(QImage* bitmap, const std::string& file_name, const TJpegLimits& limits,
              QSize* size) {
    if (!bitmap)
        throw std::runtime_error("Bitmap not initialised");
    IjlSession session(file_name);
    JPEG_CORE_PROPERTIES& p = session.props;
    std::string bytes;
    {
        QFile file;
        bool past_limit = false;
        if (!open_for_reading(file_name, file))
            throw EIJLError("reading parameters of", file_name, IJL_CANNOT_OPEN_FILE);
        if (file.size() > static_cast<qint64>(limits.file_bytes) ||
            !read_rest(file, bytes, limits.file_bytes, past_limit) || past_limit)
            throw EIJLError("reading parameters of", file_name,
                            file.error() == QFileDevice::NoError ? IJL_FILE_TOO_LARGE
                                                                 : IJL_CANNOT_OPEN_FILE);
    }
    p.jpg_bytes = reinterpret_cast<const uint8_t*>(bytes.data());
    p.jpg_size_bytes = bytes.size();
    int status = ijlRead(&p, IJL_JBUFF_READPARAMS);
    if (status == IJL_OK && size)
        *size = QSize(p.jpg_width, p.jpg_height);
    if (status == IJL_OK && (p.jpg_width > limits.width || p.jpg_height > limits.height ||
                             uint64_t(p.jpg_width) * uint64_t(p.jpg_height) > limits.pixels))
        status = IJL_IMAGE_TOO_LARGE;
    if (status != IJL_OK)
        throw EIJLError("reading parameters of", file_name, status);

    // 1- and 3-channel files are decoded straight into 32-bit pixels, the fourth byte 255.
    QImage decoded;
    switch (p.jpg_channels) {
    case 1:
    case 3:
        p.jpg_color = p.jpg_channels == 1 ? IJL_G : IJL_YCBCR;
        p.dib_color = IJL_BGR;
        p.dib_channels = 4;
        decoded = make_bitmap(p.jpg_width, p.jpg_height, QImage::Format_ARGB32);
        break;
    case 4:
        p.jpg_color = IJL_YCBCRA_FPX;
        p.dib_color = IJL_RGBA_FPX;
        p.dib_channels = 4;
        decoded = make_bitmap(p.jpg_width, p.jpg_height, QImage::Format_ARGB32);
        break;
    default:
        // No conversion exists for other channel counts: the read below refuses them.
        p.jpg_color = IJL_OTHER;
        p.dib_color = IJL_OTHER;
        p.dib_channels = p.jpg_channels;
        break;
    }
    if (!decoded.isNull()) {
        p.dib_bytes = decoded.bits();
        p.dib_width = p.jpg_width;
        p.dib_height = -p.jpg_height;
        // Qt pads rows to 4 bytes, as the record expects.
        p.dib_padding = ijl_row_padding(p.jpg_width, p.dib_channels);
        if (decoded.bytesPerLine() != p.jpg_width * p.dib_channels + p.dib_padding)
            throw std::runtime_error("Bitmap pixel buffer not available");
    }
    status = ijlRead(&p, IJL_JBUFF_READWHOLEIMAGE);
    if (status != IJL_OK)
        throw EIJLError("reading", file_name, status);
    if (p.jpg_channels == 4)
        PremultiplyRGBA(decoded.bits(), decoded.width(), decoded.height());
    *bitmap = std::move(decoded);
}

void PremultiplyRGBA(uint8_t* pixels, int width, int height) {
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i, pixels += 4) {
        const unsigned a = pixels[3];
        const unsigned c0 = pixels[0];
        pixels[0] = static_cast<uint8_t>((pixels[2] * a + 1) >> 8);
        pixels[1] = static_cast<uint8_t>((pixels[1] * a + 1) >> 8);
        pixels[2] = static_cast<uint8_t>((c0 * a + 1) >> 8);
    }
}
