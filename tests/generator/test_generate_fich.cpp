#include "generator/generate_fich.h"
#include "platform/blp2decode.h"
#include "support/blp_writer.h"
#include "support/mpq_writer.h"
#include "support/temp_dir.h"

#include <QBuffer>
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

rMpqPath entry(const std::string& path, bool exists) {
    rMpqPath p;
    p.full_path = path;
    p.exists = exists;
    return p;
}

struct Archives {
    TempDir dir;
    std::vector<rMpqPath> list;
    // name: archive file; files: its content. An absent flag marks the entry as not existing.
    void add(const std::string& name, const std::vector<MpqEntry>& files, bool exists = true) {
        ASSERT_TRUE(write_mpq(dir.file(name), files));
        list.push_back(entry(dir.file(name), exists));
    }
};

} // namespace

TEST(ReadFromArchives, SearchesExistingArchivesInOrder) {
    Archives a;
    a.add("A.mpq", {{"f.txt", "from A"}}, false); // marked missing: never tried
    a.add("B.mpq", {{"other.txt", "x"}});
    a.list.push_back(entry(a.dir.file("gone.mpq"), true)); // vanished since the check
    a.add("C.mpq", {{"f.txt", "from C"}});
    a.add("D.mpq", {{"F.TXT", "from D"}});

    CountingBuffer stream;
    stream.open(QIODevice::ReadWrite);
    std::string error = "old";
    EXPECT_TRUE(read_from_archives(a.list, "f.txt", stream, error));
    EXPECT_EQ(stream.buffer().toStdString(), "from C");
    EXPECT_EQ(error, "");
    EXPECT_EQ(stream.rewinds, 3); // B, gone, C

    CountingBuffer none;
    none.open(QIODevice::ReadWrite);
    EXPECT_FALSE(read_from_archives(a.list, "Textures\\nothing.blp", none, error));
    EXPECT_EQ(error, "Textures\\nothing.blp Error");
    EXPECT_TRUE(none.buffer().isEmpty());
    EXPECT_EQ(none.rewinds, 4);

    std::vector<rMpqPath> empty;
    EXPECT_FALSE(read_from_archives(empty, "f.txt", none, error));
    EXPECT_EQ(error, "f.txt Error");
}

TEST(LoadBlpTile, DecodesTheTextureBottomRowFirst) {
    // Raw BGRA, 2 x 3: row r holds blue r in both pixels.
    std::string bgra;
    for (int r = 0; r < 3; ++r)
        for (int x = 0; x < 2; ++x)
            bgra += std::string{char(r), char(x), 0, char(0x80)};
    const Blp2Texture raw = blp2_raw_bgra(2, 3, 8, bgra);
    const Blp2Texture dxt = blp2_dxt(test_pattern(256, 256, false, 9), 256, 256, squish::kDxt1, 0);
    Archives a;
    a.add("tiles.mpq", {{"Textures\\Minimap\\raw.blp", blp2_file(raw)},
                        {"Textures\\Minimap\\dxt.blp", blp2_file(dxt)}});

    QImage tile;
    std::string error;
    ASSERT_TRUE(load_blp_tile(a.list, "textures\\minimap\\RAW.blp", tile, error));
    EXPECT_EQ(error, "");
    ASSERT_EQ(tile.size(), QSize(2, 3));
    EXPECT_EQ(tile.format(), QImage::Format_ARGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(tile.pixel(x, y), qRgba(0, x, 2 - y, 0x80)) << x << "," << y;

    ASSERT_TRUE(load_blp_tile(a.list, "Textures\\Minimap\\dxt.blp", tile, error));
    ASSERT_EQ(tile.size(), QSize(256, 256));
    const std::string file = blp2_file(dxt);
    const auto* b = reinterpret_cast<const uint8_t*>(file.data());
    uint32_t length = 0;
    const uint8_t* px = BLP2DECODE_BLP2toRGBA(b, b + 1172, uint32_t(file.size() - 1172), &length,
                                              b + 148, 256, 256);
    ASSERT_NE(px, nullptr);
    for (int y = 0; y < 256; ++y)
        ASSERT_EQ(std::memcmp(tile.constScanLine(y), px + (255 - y) * 1024, 1024), 0) << y;
    BLP2DECODE_FreeAll();
}

TEST(LoadBlpTile, MissingOrUnusableTexturesLeaveTheBitmap) {
    Blp2Texture short_data = blp2_dxt(test_pattern(16, 16, false, 10), 16, 16, squish::kDxt1, 0);
    short_data.data.resize(short_data.data.size() - 8);
    Archives a;
    a.add("tiles.mpq", {{"tiny.blp", std::string(1171, 'B')},
                        {"short.blp", blp2_file(short_data)},
                        {"noise.blp", "BLP2" + std::string(3000, '\x7F')}});
    const QImage before(4, 4, QImage::Format_ARGB32);
    QImage tile = before;
    std::string error;
    EXPECT_FALSE(load_blp_tile(a.list, "absent.blp", tile, error));
    EXPECT_EQ(error, "absent.blp Error");
    for (const char* name : {"tiny.blp", "short.blp", "noise.blp"}) {
        EXPECT_FALSE(load_blp_tile(a.list, name, tile, error)) << name;
        EXPECT_EQ(error, "") << name; // found, but not decodable
    }
    EXPECT_EQ(tile, before);
}
