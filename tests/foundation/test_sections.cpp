#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "support/saved_globals.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <algorithm>

#include <QProcess>

#include <gtest/gtest.h>

using support::ContainerWriter;

namespace {

std::string pattern(size_t size, char seed) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>(seed + i * 7 + (i >> 5));
    return s;
}

} // namespace

TEST(SectionContainer, SectionsAreFoundThroughTheirOffsetsInAnyFileOrder) {
    TempDir dir;
    std::string path = dir.file("master.loc");
    std::string two = pattern(3000, 'b');
    std::string four = pattern(200, 'd');
    ASSERT_TRUE(
        ContainerWriter().section(2, two).section(4, four).section(9, "").order({9, 4, 2}).write(
            path));
    std::string target = pattern(10000, 'x');
    for (auto [index, bytes] : {std::pair{4, four}, {2, two}, {9, std::string()}}) {
        EXPECT_TRUE(load_section(target, path, index));
        EXPECT_EQ(target, bytes) << index;
    }
    EXPECT_FALSE(load_section(target, path, -1));
}

TEST(SectionContainer, HostileContainersGiveFalseAndAnEmptyTarget) {
    TempDir dir;
    const std::string path = dir.file("master.loc");
    std::string target = "old";
    EXPECT_FALSE(load_section(target, dir.file("missing.loc"), 3));
    EXPECT_TRUE(target.empty());

    const std::string one = ContainerWriter().section(1, "x").bytes();
    const std::string stream = support::zlib_compress(pattern(5000, 'q'));
    std::string damaged = stream;
    damaged[10] = static_cast<char>(damaged[10] ^ 0x55);
    // Too short for the offset; offsets past the end, negative and exactly at the end; a
    // truncated and a damaged stream.
    std::vector<std::string> files = {
        one.substr(0, 6), ContainerWriter().raw_section(1, stream.substr(0, 40)).bytes(),
        ContainerWriter().raw_section(1, damaged).bytes()};
    for (int32_t offset : {1 << 30, -40, int32_t(one.size())})
        files.push_back(ContainerWriter().section(1, "x").offset(1, offset).bytes());
    for (const std::string& file : files) {
        support::write_raw(path, file);
        target = "old";
        EXPECT_FALSE(load_section(target, path, 1)) << &file - files.data();
        EXPECT_TRUE(target.empty());
    }
    // An index beyond the table reads a section byte as an offset; no crash either way.
    support::write_raw(path, ContainerWriter().section(1, pattern(500, 'a')).bytes());
    load_section(target, path, 1000000);
}

// Every kind of section inflates up to its limit; one byte more is refused as damaged, and
// error.log says so; so is a url.bin past its own. A reader of a whole stream keeps its first
// part, or nothing, past its limit; bytes after a stream's end are not read.
TEST(SectionContainer, InflationStopsAtTheLimitOfItsKind) {
    SavedGlobals saved;
    TempDir dir;
    app_path = dir.path();
    const std::string path = dir.file("master.loc");
    std::string target;
    for (int index = 1; index <= 9; ++index)
        for (size_t size : {section_limit(index), section_limit(index) + 1}) {
            ASSERT_TRUE(ContainerWriter().section(index, std::string(size, 'a')).write(path));
            EXPECT_EQ(load_section(target, path, index), size == section_limit(index)) << index;
        }
    std::vector<std::string> lines;
    for (size_t size : {max_list_file_size, max_list_file_size + 1}) { // url.bin
        support::write_raw(path, support::zlib_compress(std::string(size, 'u')));
        load_scrambled_text(lines, path);
        EXPECT_EQ(lines.empty(), size > max_list_file_size);
    }
    const std::string stream = support::zlib_compress(pattern(300, 'w'));
    support::write_raw(path, stream + "trailing bytes");
    EXPECT_TRUE(read_section(target, path, 0, 299) == SectionRead::too_large &&
                target == pattern(299, 'w'));
    EXPECT_TRUE(!inflate_zlib(stream, target, 299) && target.empty());
    EXPECT_TRUE(inflate_zlib(stream + "trailing bytes", target, 300) &&
                target == pattern(300, 'w'));
    std::string log;
    EXPECT_TRUE(read_file(dir.file("error.log"), log) && std::ranges::count(log, '\n') == 10);
    EXPECT_NE(log.find(path + " (section 9): larger than its limit (64 MB); it is not read.\r\n"),
              std::string::npos);
}

TEST(ZlibFiles, DecompressFileReplacesOnlyOnSuccess) {
    TempDir dir;
    std::string gz = dir.file("dl.gz");
    std::string dest = dir.file("dl.tmp");
    EXPECT_FALSE(decompress_file(dir.file("missing.gz"), dest));
    EXPECT_FALSE(file_exists(dest));

    std::string content = pattern(200000, 'z');
    support::write_raw(gz, support::zlib_compress(content));
    support::write_raw(dest, "older content");
    ASSERT_TRUE(decompress_file(gz, dest));
    std::string back;
    ASSERT_TRUE(read_file(dest, back));
    EXPECT_EQ(back, content);

    std::string stream = support::zlib_compress(pattern(200000, 'y'));
    support::write_raw(gz, stream.substr(0, stream.size() / 2));
    EXPECT_FALSE(decompress_file(gz, dest));
    ASSERT_TRUE(read_file(dest, back));
    EXPECT_EQ(back, content);
}

// The container and url.bin writers against an independent writer in Python: same bytes, and
// our readers read the Python files.
TEST(SectionWriters, MatchAnIndependentPythonWriter) {
    TempDir dir;
    std::string peer = std::string(KARVELO_TEST_PEERS) + "/section_peer.py";
    std::string three = pattern(4000, '3');
    std::string seven = std::string("BM") + pattern(900, '7');
    support::write_raw(dir.file("s3"), three);
    support::write_raw(dir.file("s7"), seven);
    std::vector<std::string> lines = support::url_lines("False", "one%%two \xE9");
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i)
        joined += (i ? "\n" : "") + lines[i];
    support::write_raw(dir.file("lines"), joined);

    auto run = [&](QStringList args) {
        QProcess p;
        p.start("/usr/bin/python3", QStringList{to_path(peer)} + args);
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    };
    ASSERT_TRUE(run({"master", to_path(dir.file("py.loc")), "1062", "7,3",
                     "3=" + to_path(dir.file("s3")), "7=" + to_path(dir.file("s7"))}));
    ASSERT_TRUE(run({"url", to_path(dir.file("py.bin")), "plinvask", to_path(dir.file("lines"))}));

    std::string py_loc, py_bin;
    ASSERT_TRUE(read_file(dir.file("py.loc"), py_loc));
    ASSERT_TRUE(read_file(dir.file("py.bin"), py_bin));
    EXPECT_EQ(ContainerWriter().section(3, three).section(7, seven).order({7, 3}).bytes(), py_loc);
    EXPECT_EQ(support::scrambled_list(lines), py_bin);

    std::string target;
    for (auto [index, bytes] : {std::pair{3, three}, {7, seven}}) {
        EXPECT_TRUE(load_section(target, dir.file("py.loc"), index));
        EXPECT_EQ(target, bytes) << index;
    }
    EXPECT_TRUE(check_version(dir.file("py.loc")));
    std::vector<std::string> back;
    load_scrambled_text(back, dir.file("py.bin"));
    EXPECT_EQ(back, lines);
    load_scrambled_text(back, dir.file("missing.bin"));
    EXPECT_TRUE(back.empty());
}
