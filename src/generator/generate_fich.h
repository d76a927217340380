#pragma once
// Reading files out of the game's archive list, and map tiles decoded from BLP2 textures.

#include <QIODevice>
#include <QImage>
#include <string>
#include <vector>

// One entry of the generator's archive list.
struct rMpqPath {
    std::string relative_path{}; // default entries: the archive's path below the game folder
    std::string full_path{};
    bool user = false;   // added by the user rather than taken from the database settings
    bool exists = false; // a file is at the full path
};

// Reads the named file (archive-internal name) from the first archive of the list, in order,
// that holds it; entries that do not exist are not tried. The target is rewound after every
// try. error_text is empty on success, else the file name followed by " Error".
bool read_from_archives(const std::vector<rMpqPath>& archives, const std::string& file_name,
                        QIODevice& target, std::string& error_text);

// Reads the named BLP2 texture (archive folder prefix + stored name) from the archives and
// decodes it into the bitmap (Format_ARGB32), the decoder's first row at the bottom. False,
// with the bitmap unchanged, when no archive yields the file or it cannot be decoded.
// error_text is read_from_archives's.
bool load_blp_tile(const std::vector<rMpqPath>& archives, const std::string& file_name,
                   QImage& bitmap, std::string& error_text);

// Decodes the bytes of a BLP2 texture file as load_blp_tile does; false, with the bitmap
// unchanged, when they cannot be decoded.
bool decode_blp_tile(const QByteArray& file, QImage& bitmap);
