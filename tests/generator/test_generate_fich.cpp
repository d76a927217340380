#include "generator/generate_fich.h"
#include "platform/blp2decode.h"
#include "support/blp_writer.h"
#include "support/mpq_writer.h"
#include "support/temp_dir.h"

#include <QBuffer>
#include <QProcess>
#include <gtest/gtest.h>
#include <squish.h>

namespace {

// A stream that counts how often it is rewound.
class CountingBuffer : public QBuffer {
public:
    bool seek(qint64 pos) override {
        if (pos == 0)
            ++rewinds;
        return QBuffer::seek(pos);
    }
    int rewinds = 0;
};

// Pillow's decoding of a texture file, as red, green, blue, alpha bytes.
std::vector<uint8_t> pillow_decode(const std::string& file) {
    TempDir dir;
    EXPECT_TRUE(write_file_atomic(dir.file("t.blp"), file));
    QProcess py;
    py.start("/usr/bin/python3", {QString(KARVELO_TEST_PEERS) + "/blp_decode.py",
                                  to_path(dir.file("t.blp")), to_path(dir.file("t.rgba"))});
    EXPECT_TRUE(py.waitForFinished(60000));
    EXPECT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
    std::string bytes;
    read_file(dir.file("t.rgba"), bytes);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

struct Archives {
    TempDir dir;
    std::vector<rMpqPath> list;
    // name: archive file; files: its content. An absent flag marks the entry as not existing.
    void add(const std::string& name, const std::vector<MpqEntry>& files, bool exists = true) {
        ASSERT_TRUE(write_mpq(dir.file(name), files));
        list.push_back({.full_path = dir.file(name), .exists = exists});
    }
};

} // namespace

TEST(ReadFromArchives, SearchesExistingArchivesInOrder) {
    Archives a;
    a.add("A.mpq", {{"f.txt", "from A"}}, false); // marked missing: never tried
    a.add("B.mpq", {{"other.txt", "x"}});
    a.list.push_back({.full_path = a.dir.file("gone.mpq"), .exists = true}); // since vanished
    a.add("C.mpq", {{"f.txt", "from C"}});
    a.add("D.mpq", {{"F.TXT", "from D"}});

    CountingBuffer stream;
    stream.open(QIODevice::ReadWrite);
    std::string error = "old";
    EXPECT_TRUE(read_from_archives(a.list, "f.txt", stream, error));
    EXPECT_EQ(std::tuple(stream.buffer().toStdString(), error, stream.rewinds),
              std::tuple("from C", "", 3)); // rewound for B, gone, C

    CountingBuffer none;
    none.open(QIODevice::ReadWrite);
    EXPECT_FALSE(read_from_archives(a.list, "Textures\\nothing.blp", none, error));
    EXPECT_EQ(std::tuple(none.buffer().toStdString(), error, none.rewinds),
              std::tuple("", "Textures\\nothing.blp Error", 4));

    EXPECT_FALSE(read_from_archives({}, "f.txt", none, error));
    EXPECT_EQ(error, "f.txt Error");
    // A file above the limit ends the search unread: a later archive holds an older one.
    EXPECT_FALSE(read_from_archives(a.list, "f.txt", none, error, 5));
    EXPECT_EQ(none.buffer().toStdString() + "|" + error,
              "|f.txt Error: more than 5 bytes, not read");
}

// Whole tiles read from an archive match Pillow's decoding of the same textures: same
// orientation, alpha identical, colours within 7 (Pillow widens 5- and 6-bit colours by a
// plain shift). Missing or undecodable textures leave the bitmap as it was.
TEST(LoadBlpTile, MatchesPillowOrLeavesTheBitmap) {
    const auto opaque = test_pattern(64, 32, false, 1);
    const auto with_alpha = test_pattern(64, 32, true, 2);
    const std::pair<const char*, Blp2Texture> cases[] = {
        {"DXT1", blp2_dxt(opaque, 64, 32, squish::kDxt1, 0)},
        {"DXT1 with one-bit alpha", blp2_dxt(with_alpha, 64, 32, squish::kDxt1, 1)},
        {"DXT3", blp2_dxt(with_alpha, 64, 32, squish::kDxt3, 8)},
        {"DXT5", blp2_dxt(with_alpha, 64, 32, squish::kDxt5, 8)}};
    Blp2Texture short_data = cases[0].second;
    short_data.data.resize(short_data.data.size() - 8);
    const std::string refused = " pixels refused (at most 1024 on each side)";
    const std::tuple<std::string, std::string, std::string> bad[] = {
        {"tiny.blp", std::string(1171, 'B'), "not a readable BLP2 texture"},
        {"short.blp", blp2_file(short_data), "not a readable BLP2 texture"},
        {"noise.blp", "BLP2" + std::string(3000, '\x7F'),
         "texture of 2139062143 x 2139062143" + refused},
        {"wide.blp", blp2_file(blp2_raw_bgra(kMaxTileSide + 1, 1, 0, std::string(4100, 'x'))),
         "texture of 1025 x 1" + refused},
        {"huge.blp", std::string(kMaxTileFileSize + 1, 'B'), "more than 16777216 bytes, not read"}};
    std::vector<MpqEntry> files = {
        {"edge.blp",
         blp2_file(blp2_raw_bgra(kMaxTileSide, 1, 0, std::string(4 * kMaxTileSide, 'x')))}};
    for (const auto& [name, bytes, why] : bad)
        files.push_back({name, bytes});
    for (const auto& [name, texture] : cases)
        files.push_back({std::string("cartes\\") + name + ".blp", blp2_file(texture)});
    Archives a;
    a.add("tiles.mpq", files);
    for (const auto& [name, texture] : cases) {
        SCOPED_TRACE(name);
        QImage tile;
        std::string error;
        ASSERT_TRUE(load_blp_tile(a.list, std::string("cartes\\") + name + ".blp", tile, error));
        const std::vector<uint8_t> theirs = pillow_decode(blp2_file(texture));
        ASSERT_EQ(tile.size(), QSize(int(texture.width), int(texture.height)));
        ASSERT_EQ(theirs.size(), size_t(tile.width()) * tile.height() * 4);
        int worst = 0;
        for (int y = 0; y < tile.height(); ++y) {
            for (int x = 0; x < tile.width(); ++x) {
                const QRgb ours = tile.pixel(x, y);
                const uint8_t* p = &theirs[(size_t(y) * tile.width() + x) * 4];
                ASSERT_EQ(qAlpha(ours), p[3]) << x << "," << y;
                worst = std::max({worst, std::abs(qRed(ours) - p[0]), std::abs(qGreen(ours) - p[1]),
                                  std::abs(qBlue(ours) - p[2])});
            }
        }
        EXPECT_LE(worst, 7);
    }

    const QImage before(4, 4, QImage::Format_ARGB32);
    QImage tile = before;
    std::string error;
    EXPECT_TRUE(!load_blp_tile(a.list, "absent.blp", tile, error) && error == "absent.blp Error");
    for (const auto& [name, bytes, why] : bad) {
        EXPECT_FALSE(load_blp_tile(a.list, name, tile, error));
        EXPECT_EQ(error, name + " Error: " + why);
    }
    EXPECT_EQ(tile, before);
    EXPECT_TRUE(load_blp_tile(a.list, "edge.blp", tile, error) && tile.width() == 1024);
}
