#pragma once
// Reading files out of the game's archive list, and map tiles decoded from BLP2 textures.

#include <QIODevice>
#include <QImage>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class MpqArchive;

// One entry of the generator's archive list.
struct rMpqPath {
    std::string relative_path{}; // default entries: the archive's path below the game folder
    std::string full_path{};
    bool user = false;   // added by the user rather than taken from the database settings
    bool exists = false; // a file is at the full path
};

// A tile file is at most this large in an archive, and at most this many pixels on each side.
constexpr uint64_t kMaxTileFileSize = 16 << 20;
constexpr uint32_t kMaxTileSide = 1024;

// The archives of a list, each opened at its first read and kept open while the set lives.
// The list must not change meanwhile.
class ArchiveSet {
public:
    explicit ArchiveSet(const std::vector<rMpqPath>& archives);
    ~ArchiveSet();
    ArchiveSet(const ArchiveSet&) = delete;
    ArchiveSet& operator=(const ArchiveSet&) = delete;

    // Reads the named file (archive-internal name) from the first archive of the list, in
    // order, that holds it; entries that do not exist are not tried. The target is rewound after
    // every try. A file above max_size ends the search unread. error_text is empty on success,
    // else the file name followed by " Error" and, for a file too large, the limit.
    bool read(const std::string& file_name, QIODevice& target, uint64_t max_size,
              std::string& error_text);

private:
    const std::vector<rMpqPath>& archives_;
    std::vector<std::unique_ptr<MpqArchive>> open_; // by list index; null until first used
};

// ArchiveSet::read on a set of its own.
bool read_from_archives(const std::vector<rMpqPath>& archives, const std::string& file_name,
                        QIODevice& target, std::string& error_text,
                        uint64_t max_size = kMaxTileFileSize);

// Reads the named BLP2 texture (archive folder prefix + stored name) from the archives and
// decodes it into the bitmap (Format_ARGB32), the decoder's first row at the bottom. False,
// with the bitmap unchanged, when no archive yields the file or it cannot be decoded;
// error_text then says which file and why.
bool load_blp_tile(ArchiveSet& archives, const std::string& file_name, QImage& bitmap,
                   std::string& error_text);
bool load_blp_tile(const std::vector<rMpqPath>& archives, const std::string& file_name,
                   QImage& bitmap, std::string& error_text);

// Decodes the bytes of a BLP2 texture file as load_blp_tile does; false, with the bitmap
// unchanged and the reason in *problem when given, when they cannot be decoded or the texture
// is more than kMaxTileSide pixels wide or high.
bool decode_blp_tile(const QByteArray& file, QImage& bitmap, std::string* problem = nullptr);
