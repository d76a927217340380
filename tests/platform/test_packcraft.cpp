#include "platform/packCraft.h"
#include "support/mpq_writer.h"
#include "support/temp_dir.h"

#include <QBuffer>
#include <QDir>
#include <gtest/gtest.h>
#include <random>

namespace {

std::string random_bytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

struct Extract {
    bool ok = false;
    QByteArray bytes;
    qint64 position = -1;
};

Extract extract(const std::string& archive, const std::string& name) {
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    Extract e;
    e.ok = extract_mpq_file(archive, name, stream);
    e.bytes = stream.buffer();
    e.position = stream.pos();
    return e;
}

} // namespace

TEST(PackCraft, ReadsFilesOfSmpqArchivesWhateverTheLetterCase) {
    TempDir dir;
    const std::string big = random_bytes(2'500'000, 1); // several read chunks
    const std::string small = "tile bytes";
    for (int version : {1, 2, 4}) {
        SCOPED_TRACE(version);
        const std::string archive = dir.file(version == 1   ? "v1.MPQ"
                                             : version == 2 ? "v2.MPQ"
                                                            : "v4.MPQ");
        ASSERT_TRUE(write_mpq(
            archive,
            {{"Textures\\Minimap\\Map_12_34.blp", small}, {"big.bin", big}, {"empty.txt", ""}},
            version));
        Extract e = extract(archive, "Textures\\Minimap\\Map_12_34.blp");
        EXPECT_TRUE(e.ok);
        EXPECT_EQ(e.bytes.toStdString(), small);
        EXPECT_EQ(e.position, 0);
        EXPECT_EQ(extract(archive, "TEXTURES\\minimap\\map_12_34.BLP").bytes.toStdString(), small);
        e = extract(archive, "BIG.BIN");
        EXPECT_TRUE(e.ok);
        EXPECT_TRUE(e.bytes.toStdString() == big);

        e = extract(archive, "Textures\\Minimap\\Map_12_35.blp");
        EXPECT_FALSE(e.ok);
        EXPECT_TRUE(e.bytes.isEmpty());
        EXPECT_FALSE(extract(archive, "empty.txt").ok); // a file of size 0 counts as absent
    }
}

TEST(PackCraft, WritesAtTheStreamPositionAndRewinds) {
    TempDir dir;
    QDir().mkpath(to_path(dir.file("Data")));
    ASSERT_TRUE(write_mpq(dir.file("Data/common.mpq"), {{"a.txt", "abc"}}));
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    stream.write("XYZ");
    // An archive path from the settings may use backslashes.
    EXPECT_TRUE(extract_mpq_file(dir.path() + "Data\\common.mpq", "a.txt", stream));
    EXPECT_EQ(stream.buffer().toStdString(), "XYZabc");
    EXPECT_EQ(stream.pos(), 0);
    stream.seek(2);
    EXPECT_FALSE(extract_mpq_file(dir.path() + "Data\\common.mpq", "b.txt", stream));
    EXPECT_EQ(stream.pos(), 0);
}

TEST(PackCraft, RefusesWhatIsNoArchive) {
    TempDir dir;
    const std::string archive = dir.file("a.mpq");
    ASSERT_TRUE(write_mpq(archive, {{"a.txt", "abc"}}));
    std::string good;
    ASSERT_TRUE(read_file(archive, good));
    ASSERT_TRUE(write_file_atomic(dir.file("noise.mpq"), random_bytes(5000, 2)));
    ASSERT_TRUE(write_file_atomic(dir.file("empty.mpq"), ""));
    ASSERT_TRUE(write_file_atomic(dir.file("cut.mpq"), good.substr(0, good.size() / 2)));
    ASSERT_TRUE(
        write_file_atomic(dir.file("header.mpq"), good.substr(0, 32) + random_bytes(2000, 3)));
    for (const char* name :
         {"noise.mpq", "empty.mpq", "cut.mpq", "header.mpq", "missing.mpq", ""}) {
        const Extract e = extract(dir.file(name), "a.txt");
        EXPECT_FALSE(e.ok) << name;
        EXPECT_TRUE(e.bytes.isEmpty()) << name;
        EXPECT_EQ(e.position, 0) << name;
    }
}
