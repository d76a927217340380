#include "foundation/binary_io.h"
#include "foundation/text_codec.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(TextCodec, Windows1252RoundTripsLinesSplitAtEveryEndAndBytesReadLittleEndian) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(from_qstring(to_qstring(all)), all);
    EXPECT_EQ(to_qstring("\x80"), QString(QChar(0x20AC)));
    EXPECT_EQ(to_qstring("\xE9t\xE9"), QStringLiteral("été"));
    EXPECT_EQ(from_qstring(QStringLiteral("a\u4E2Db")), "a?b");
    // Lines split at every line end.
    EXPECT_EQ(split_lines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(split_lines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(split_lines("").empty());
    EXPECT_EQ(split_lines("\n"), (std::vector<std::string>{""}));
    // Binary data reads little-endian; short data is refused.
    ByteWriter w;
    w.u16(0x1234);
    w.i32(-2);
    w.short_string("abc", 5);
    ByteReader r(w.data());
    EXPECT_EQ(r.u16(), 0x1234);
    EXPECT_EQ(r.i32(), -2);
    EXPECT_EQ(r.short_string(5), "abc");
    EXPECT_TRUE(r.at_end());
    EXPECT_THROW(r.u8(), EInOutError);
    const std::string short_text("\x09xy", 3);
    ByteReader r2(short_text);
    EXPECT_THROW(r2.short_string(5), EInOutError);
    EXPECT_THROW(r2.seek(4), EInOutError);
}

TEST(TextCodec, PathsKeepTheFileSystemsBytesResolveLetterCaseAndWritesAreAtomic) {
    EXPECT_TRUE(path_name("\xE9t\xE9") == "été" && path_text("été/Карта") == "\xE9t\xE9/?????");
    TempDir dir;
    const std::string root = dir.file("Игры/");
    for (const char* file : {"DATA/Textures.MPQ", "DATA/b.mpq", "DATA/B.MPQ", "Данные/Файл.txt"}) {
        QDir().mkpath(to_path(root + file).section('/', 0, -2));
        ASSERT_TRUE(write_file_atomic(root + file, "x"));
    }
    // Exact name first; else the first in byte order that differs only in case; the rest of
    // a path that stops matching stays as given.
    for (auto [asked, found] : {std::pair{"data/textures.mpq", "DATA/Textures.MPQ"},
                                {"DATA/b.mpq", "DATA/b.mpq"},
                                {"data/b.MPQ", "DATA/B.MPQ"},
                                {"ДАННЫЕ/файл.TXT", "Данные/Файл.txt"},
                                {"data/gone/x.mpq", "DATA/gone/x.mpq"}})
        EXPECT_EQ(resolve_case(root + asked), root + found) << asked;
    std::string path = dir.file("f.bin");
    ASSERT_TRUE(write_file_atomic(path, "one") && write_file_atomic(path, "two"));
    {
        FileSizeLimit limit(1000);
        EXPECT_FALSE(write_file_atomic(path, std::string(100000, 'x')));
    }
    EXPECT_EQ(file_text(path), "two");
    EXPECT_EQ(QDir(to_path(dir.path())).entryList(QDir::Files).size(), 1); // no leftover
    EXPECT_FALSE(write_file_atomic(dir.file("missing/f.bin"), "x"));
}

TEST(TextCodec, AtomicWritesGiveNewFilesTheUsualModeAndKeepTheModeOfReplacedOnes) {
    TempDir dir;
    const ScopedUmask mask(027);
    ASSERT_TRUE(write_file_atomic(dir.file("new.txt"), "n"));
    ASSERT_TRUE(write_file_atomic(dir.file("old.txt"), "o"));
    ASSERT_EQ(chmod(dir.file("old.txt").c_str(), 0751), 0);
    ASSERT_TRUE(write_file_atomic(dir.file("old.txt"), "p"));
    EXPECT_EQ(std::pair(file_mode(dir.file("new.txt")), file_mode(dir.file("old.txt"))),
              std::pair(mode_t(0640), mode_t(0751)));
}

// A file is read whole, or within a limit: one byte past it is refused, or cut when the caller
// asks. Appending creates a plain file or adds to one, and refuses anything else.
TEST(TextCodec, FilesAreReadWithinTheirLimitAndOnlyPlainFilesAreAppendedTo) {
    TempDir dir;
    const std::string path = dir.file("f.bin");
    ASSERT_TRUE(write_file_atomic(path, "0123456789"));
    std::string out;
    bool past = false;
    EXPECT_TRUE(read_file(path, out) && out == "0123456789");
    EXPECT_TRUE(read_file(path, out, 10) && out == "0123456789");
    EXPECT_TRUE(!read_file(path, out, 9) && out.empty());
    EXPECT_TRUE(read_file(path, out, 9, &past) && out == "012345678" && past);
    EXPECT_TRUE(read_file(path, out, 10, &past) && out == "0123456789" && !past);
    const std::string log = dir.file("new.log");
    {
        // A new log gets the usual mode of a new file.
        const ScopedUmask mask(002);
        for (const char* line : {"one\n", "two\n"}) {
            QFile file;
            ASSERT_TRUE(open_for_appending(log, file));
            file.write(line);
        }
    }
    EXPECT_EQ(std::pair(file_text(log), file_mode(log)),
              std::pair(std::string("one\ntwo\n"), mode_t(0664)));
    ASSERT_TRUE(QDir().mkdir(to_path(dir.file("folder"))) &&
                QFile::link(to_path(log), to_path(dir.file("link.log"))) &&
                mkfifo(dir.file("fifo").c_str(), 0644) == 0);
    for (const char* name : {"folder", "link.log", "fifo"}) {
        QFile file;
        EXPECT_FALSE(open_for_appending(dir.file(name), file)) << name;
    }
    EXPECT_EQ(file_text(log), "one\ntwo\n");
}
