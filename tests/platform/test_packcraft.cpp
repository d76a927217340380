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
    MpqRead got = MpqRead::absent;
    QByteArray bytes;
    qint64 position = -1;
};

// Extracts into a stream that already holds `before` and stands at its end.
Extract extract(const std::string& archive, const std::string& name, const char* before = "",
                uint64_t max_size = 1 << 30) {
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    stream.write(before);
    Extract e;
    e.got = extract_mpq_file(archive, name, stream, max_size);
    e.bytes = stream.buffer();
    e.position = stream.pos();
    return e;
}

} // namespace

TEST(PackCraft, ReadsFilesOfSmpqArchivesAtTheStreamPositionWhateverTheLetterCase) {
    TempDir dir;
    QDir().mkpath(to_path(dir.file("Data")));
    const std::string big = random_bytes(2'500'000, 1); // several read chunks
    const std::string small = "tile bytes";
    for (const std::string version : {"1", "2", "4"}) {
        SCOPED_TRACE(version);
        const std::string archive = dir.file("Data/v" + version + ".MPQ");
        ASSERT_TRUE(write_mpq(
            archive,
            {{"Textures\\Minimap\\Map_12_34.blp", small}, {"big.bin", big}, {"empty.txt", ""}},
            std::stoi(version)));
        // An archive path from the settings may use backslashes; the stream is rewound.
        Extract e = extract(dir.path() + "Data\\v" + version + ".MPQ",
                            "Textures\\Minimap\\Map_12_34.blp", "XYZ");
        EXPECT_EQ(std::tuple(e.got, e.bytes.toStdString(), e.position),
                  std::tuple(MpqRead::read, "XYZ" + small, 0));
        EXPECT_EQ(extract(archive, "TEXTURES\\minimap\\map_12_34.BLP").bytes.toStdString(), small);
        e = extract(archive, "BIG.BIN", "", big.size());
        EXPECT_TRUE(e.got == MpqRead::read && e.bytes.toStdString() == big);
        // One byte past the reader's limit: nothing is read.
        e = extract(archive, "BIG.BIN", "XYZ", big.size() - 1);
        EXPECT_EQ(std::tuple(e.got, e.bytes.toStdString(), e.position),
                  std::tuple(MpqRead::too_large, "XYZ", 0));

        e = extract(archive, "Textures\\Minimap\\Map_12_35.blp", "XYZ");
        EXPECT_EQ(std::tuple(e.got, e.bytes.toStdString(), e.position),
                  std::tuple(MpqRead::absent, "XYZ", 0));
        EXPECT_EQ(extract(archive, "empty.txt").got, MpqRead::absent); // size 0 counts as absent
    }
}

TEST(PackCraft, RefusesWhatIsNoArchive) {
    TempDir dir;
    const std::string archive = dir.file("a.mpq");
    ASSERT_TRUE(write_mpq(archive, {{"a.txt", "abc"}}));
    std::string good;
    ASSERT_TRUE(read_file(archive, good));
    for (auto [name, bytes] : {std::pair{"noise.mpq", random_bytes(5000, 2)},
                               {"empty.mpq", ""},
                               {"cut.mpq", good.substr(0, good.size() / 2)},
                               {"header.mpq", good.substr(0, 32) + random_bytes(2000, 3)}})
        ASSERT_TRUE(write_file_atomic(dir.file(name), bytes));
    for (const char* name :
         {"noise.mpq", "empty.mpq", "cut.mpq", "header.mpq", "missing.mpq", ""}) {
        const Extract e = extract(dir.file(name), "a.txt");
        EXPECT_TRUE(e.got == MpqRead::absent && e.bytes.isEmpty() && e.position == 0) << name;
    }
}
