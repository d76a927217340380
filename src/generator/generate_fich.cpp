#include "generator/generate_fich.h"

#include "foundation/binary_io.h"
#include "platform/blp2decode.h"
#include "platform/packCraft.h"

#include <QBuffer>
#include <cstdint>
#include <cstring>

namespace {

// Every decoder buffer is released when a tile is done, whatever happened.
struct DecoderBuffers {
    ~DecoderBuffers() { BLP2DECODE_FreeAll(); }
};

} // namespace

bool read_from_archives(const std::vector<rMpqPath>& archives, const std::string& file_name,
                        QIODevice& target, std::string& error_text) {
    error_text.clear();
    for (const rMpqPath& entry : archives) {
        if (entry.exists && extract_mpq_file(entry.full_path, file_name, target))
            return true;
    }
    error_text = file_name + " Error";
    return false;
}

bool load_blp_tile(const std::vector<rMpqPath>& archives, const std::string& file_name,
                   QImage& bitmap, std::string& error_text) {
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    read_from_archives(archives, file_name, stream, error_text);
    return decode_blp_tile(stream.buffer(), bitmap);
}

bool decode_blp_tile(const QByteArray& file, QImage& bitmap) {
    DecoderBuffers release;
    // A texture too short to hold its header and palette counts as missing.
    if (file.size() < static_cast<qsizetype>(kBlp2DataOffset) ||
        static_cast<uint64_t>(file.size()) - kBlp2DataOffset > UINT32_MAX)
        return false;

    const auto* bytes = reinterpret_cast<const uint8_t*>(file.constData());
    ByteReader header(std::string_view(file.constData(), kBlp2HeaderSize), 12);
    const uint32_t width = header.u32();
    const uint32_t height = header.u32();
    uint32_t length = 0;
    const uint8_t* pixels = BLP2DECODE_BLP2toRGBA(
        bytes, bytes + kBlp2DataOffset, static_cast<uint32_t>(file.size() - kBlp2DataOffset),
        &length, bytes + kBlp2HeaderSize, width, height);
    if (!pixels || uint64_t{length} != uint64_t{width} * height * 4)
        return false;

    QImage tile(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32);
    if (tile.isNull())
        return false;
    const size_t row_bytes = size_t{width} * 4;
    uchar* bits = tile.bits();
    for (uint32_t r = 0; r < height; ++r)
        std::memcpy(bits + size_t(height - 1 - r) * size_t(tile.bytesPerLine()),
                    pixels + r * row_bytes, row_bytes);
    bitmap = tile;
    return true;
}
