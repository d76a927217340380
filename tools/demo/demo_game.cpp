#include "demo/demo_game.h"

#include "foundation/text_codec.h"
#include "support/blp_writer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <StormLib.h>
#include <squish.h>

#include <algorithm>
#include <stdexcept>

namespace support {

namespace {

using ArchiveFiles = std::vector<std::pair<std::string, std::string>>;

// A new archive made by StormLib: every file zlib-compressed, with a list file.
void write_archive(const std::string& path, const ArchiveFiles& files) {
    const QByteArray native = QFile::encodeName(to_path(path));
    QFile::remove(to_path(path));
    HANDLE mpq = nullptr;
    if (!SFileCreateArchive(native.constData(), MPQ_CREATE_LISTFILE | MPQ_CREATE_ARCHIVE_V1,
                            static_cast<DWORD>(files.size() + 16), &mpq))
        throw std::runtime_error(path + ": cannot be created");
    bool ok = true;
    for (const auto& [name, bytes] : files) {
        HANDLE file = nullptr;
        ok = SFileCreateFile(mpq, name.c_str(), 0, static_cast<DWORD>(bytes.size()), LANG_NEUTRAL,
                             MPQ_FILE_COMPRESS | MPQ_FILE_REPLACEEXISTING, &file) &&
             SFileWriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                            MPQ_COMPRESSION_ZLIB) &&
             SFileFinishFile(file);
        if (!ok)
            break;
    }
    if (!SFileCloseArchive(mpq) || !ok)
        throw std::runtime_error(path + ": cannot be written");
}

// A 256-colour texture of the tile by median cut: the box of the widest channel range is split
// at its median until there are 256 boxes; each box's mean colour paints its pixels.
Blp2Texture palettized_tile(const QImage& tile) {
    struct Pixel {
        QRgb colour;
        uint32_t at;
    };
    struct Box {
        size_t first, last;
        int range, shift;
    };
    const QImage rgb = tile.convertToFormat(QImage::Format_RGB32);
    std::vector<Pixel> pixels;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            pixels.push_back({line[x], static_cast<uint32_t>(y * rgb.width() + x)});
    }
    auto box = [&](size_t first, size_t last) {
        Box b{first, last, 0, 0};
        for (int shift : {16, 8, 0}) {
            int lo = 255, hi = 0;
            for (size_t i = first; i < last; ++i) {
                const int v = static_cast<int>((pixels[i].colour >> shift) & 0xFF);
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            if (hi - lo > b.range)
                b = {first, last, hi - lo, shift};
        }
        return b;
    };
    std::vector<Box> boxes{box(0, pixels.size())};
    while (boxes.size() < 256) {
        auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return a.range < b.range;
        });
        if (widest->range == 0)
            break;
        const Box split = *widest;
        const size_t middle = split.first + (split.last - split.first) / 2;
        std::nth_element(pixels.begin() + static_cast<ptrdiff_t>(split.first),
                         pixels.begin() + static_cast<ptrdiff_t>(middle),
                         pixels.begin() + static_cast<ptrdiff_t>(split.last),
                         [&](const Pixel& a, const Pixel& b) {
                             return ((a.colour >> split.shift) & 0xFF) <
                                    ((b.colour >> split.shift) & 0xFF);
                         });
        *widest = box(split.first, middle);
        boxes.push_back(box(middle, split.last));
    }

    Blp2Texture t;
    t.width = static_cast<uint32_t>(rgb.width());
    t.height = static_cast<uint32_t>(rgb.height());
    t.data.resize(pixels.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        uint64_t sum[3] = {};
        for (size_t p = boxes[i].first; p < boxes[i].last; ++p) {
            for (int c = 0; c < 3; ++c)
                sum[c] += (pixels[p].colour >> (8 * c)) & 0xFF; // blue, green, red
            t.data[pixels[p].at] = static_cast<char>(i);
        }
        const uint64_t n = std::max<uint64_t>(1, boxes[i].last - boxes[i].first);
        for (int c = 0; c < 3; ++c)
            t.palette[4 * i + c] = static_cast<uint8_t>(sum[c] / n);
        t.palette[4 * i + 3] = 255;
    }
    return t;
}

Blp2Texture dxt1_tile(const QImage& tile) {
    const QImage rgba = tile.convertToFormat(QImage::Format_RGBA8888);
    std::vector<uint8_t> bytes(rgba.constBits(), rgba.constBits() + rgba.sizeInBytes());
    return blp2_dxt(bytes, static_cast<uint32_t>(rgba.width()),
                    static_cast<uint32_t>(rgba.height()), squish::kDxt1, 0);
}

std::string native(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

} // namespace

std::vector<std::string> write_demo_game(const DemoDatabase& db, const std::string& folder) {
    const std::string root = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    if (!QDir().mkpath(to_path(root)))
        throw std::runtime_error(root + ": cannot be created");
    std::vector<std::string> written;
    const std::string exe = root + "VeV.exe";
    if (!write_file_atomic(exe, "A placeholder for the game's executable: the map generator "
                                "looks for it in the game folder.\r\n"))
        throw std::runtime_error(exe + ": cannot be written");
    written.push_back(exe);
    const std::vector<std::string>& archives = db.generator.archive_paths;
    if (archives.empty())
        return written;

    // The first archive holds the translation list and the tiles, except those of the last
    // continent, which lie in the last archive.
    std::vector<ArchiveFiles> contents(archives.size());
    std::string translation;
    const std::string& prefix = db.generator.archive_prefix;
    for (size_t z = 0; z < db.zones.size(); ++z) {
        const DemoZone& zone = db.zones[z];
        if (zone.record.no_image || zone.tiles.empty())
            continue;
        const bool last_continent = zone.record.continent_id == db.continents.back().id;
        ArchiveFiles& files = contents[last_continent ? archives.size() - 1 : 0];
        const QImage image = draw_zone_image(zone, 1024);
        for (int cell = 0; cell < 16; ++cell) {
            const std::string tile =
                zone.tiles + "_" + std::to_string(cell / 4) + "_" + std::to_string(cell % 4);
            const std::string stored =
                QCryptographicHash::hash(QByteArray::fromStdString(tile), QCryptographicHash::Md5)
                    .toHex()
                    .toStdString() +
                ".blp";
            translation += tile + "\t" + stored + "\r\n";
            const QImage part = image.copy((cell % 4) * 256, (cell / 4) * 256, 256, 256);
            files.push_back(
                {prefix + stored, blp2_file(z % 2 ? palettized_tile(part) : dxt1_tile(part))});
        }
    }
    contents[0].push_back({prefix + db.generator.translation_file, translation});
    for (size_t i = 0; i < archives.size(); ++i) {
        const std::string path = root + native(archives[i]);
        QDir().mkpath(QFileInfo(to_path(path)).absolutePath());
        write_archive(path, contents[i]);
        written.push_back(path);
    }
    return written;
}

} // namespace support
