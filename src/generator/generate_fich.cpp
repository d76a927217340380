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

ArchiveSet::ArchiveSet(const std::vector<rMpqPath>& archives)
    : archives_(archives), open_(archives.size()) {}

ArchiveSet::~ArchiveSet() = default;

bool ArchiveSet::read(const std::string& file_name, QIODevice& target, uint64_t max_size,
                      std::string& error_text) {
    error_text.clear();
    for (size_t i = 0; i < archives_.size() && i < open_.size(); ++i) {
        if (!archives_[i].exists)
            continue;
        if (!open_[i])
            open_[i] = std::make_unique<MpqArchive>(archives_[i].full_path);
        const MpqRead got = open_[i]->read(file_name, target, max_size);
        if (got == MpqRead::read)
            return true;
        if (got == MpqRead::too_large) {
            error_text =
                file_name + " Error: more than " + std::to_string(max_size) + " bytes, not read";
            return false;
        }
    }
    error_text = file_name + " Error";
    return false;
}

bool read_from_archives(const std::vector<rMpqPath>& archives, const std::string& file_name,
                        QIODevice& target, std::string& error_text, uint64_t max_size) {
    return ArchiveSet(archives).read(file_name, target, max_size, error_text);
}

bool load_blp_tile(ArchiveSet& archives, const std::string& file_name, QImage& bitmap,
                   std::string& error_text) {
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    if (!archives.read(file_name, stream, kMaxTileFileSize, error_text))
        return false;
    std::string problem;
    if (decode_blp_tile(stream.buffer(), bitmap, &problem))
        return true;
    error_text = file_name + " Error: " + problem;
    return false;
}

bool load_blp_tile(const std::vector<rMpqPath>& archives, const std::string& file_name,
                   QImage& bitmap, std::string& error_text) {
    ArchiveSet set(archives);
    return load_blp_tile(set, file_name, bitmap, error_text);
}

bool decode_blp_tile(const QByteArray& file, QImage& bitmap, std::string* problem) {
    DecoderBuffers release;
    std::string unused;
    std::string& why = problem ? *problem : unused;
    why = "not a readable BLP2 texture";
    // A texture too short to hold its header and palette counts as missing.
    if (file.size() < static_cast<qsizetype>(kBlp2DataOffset) ||
        static_cast<uint64_t>(file.size()) - kBlp2DataOffset > UINT32_MAX)
        return false;

    const auto* bytes = reinterpret_cast<const uint8_t*>(file.constData());
    ByteReader header(std::string_view(file.constData(), kBlp2HeaderSize), 12);
    const uint32_t width = header.u32();
    const uint32_t height = header.u32();
    if (width > kMaxTileSide || height > kMaxTileSide) {
        why = "texture of " + std::to_string(width) + " x " + std::to_string(height) +
              " pixels refused (at most " + std::to_string(kMaxTileSide) + " on each side)";
        return false;
    }
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
    why.clear();
    return true;
}
