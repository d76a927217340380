#include "platform/registry.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

TEST(Registry, ReadsStringValuesOfSystemReg) {
    // As Wine writes it: escaped key paths and texts, other value types, a 32-bit program's key.
    TempDir dir;
    ASSERT_TRUE(support::write_raw(
        dir.file("system.reg"),
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
        "[Software\\\\Example\\\\Vev] 1700000000\n#time=1da0000000000000\n"
        "\"InstallPath\"=\"C:\\\\Jeux\\\\Vev\\\\\"\n"
        "\"Quoted\"=\"dit \\\"oui\\\"\\x00e9\\t\\101.\"\n\"Number\"=dword:00000010\n"
        "\"Expand\"=str(2):\"%ProgramFiles%\\\\Vev\"\n@=\"default\"\n\n"
        "[Software\\\\Wow6432Node\\\\Old\\\\Game] 1700000000\r\n\"Path\"=\"D:\\\\Jeux\\\\\"\r\n"));
    const QByteArray saved = qgetenv("WINEPREFIX");
    qputenv("WINEPREFIX", QFile::encodeName(to_path(dir.path())));
    EXPECT_EQ(wine_prefix(), dir.path());
    const std::pair<std::pair<const char*, const char*>, std::string> cases[] = {
        {{"SOFTWARE\\example\\VEV", "installpath"}, "C:\\Jeux\\Vev\\"},
        {{"\\Software\\Example\\Vev\\", "Quoted"}, "dit \"oui\"\xE9\tA."},
        {{"Software\\Example\\Vev", "Expand"}, "%ProgramFiles%\\Vev"},
        {{"Software\\Example\\Vev", ""}, "default"},
        {{"Software\\Example\\Vev", "Number"}, ""}, // not a string
        {{"Software\\Example", "InstallPath"}, ""}, // a parent key
        {{"Software\\Old\\Game", "Path"}, "D:\\Jeux\\"},
        {{"", "InstallPath"}, ""},
    };
    for (const auto& [query, expected] : cases)
        EXPECT_EQ(read_machine_string(query.first, query.second), expected) << query.first;
    // Read a line at a time up to its limit; one byte past it, not read.
    for (const qint64 size : {qint64{kMaxSystemRegSize}, qint64{kMaxSystemRegSize} + 1}) {
        ASSERT_TRUE(QFile(to_path(dir.file("system.reg"))).resize(size));
        EXPECT_EQ(read_machine_string("Software\\Example\\Vev", "InstallPath").empty(),
                  size > qint64{kMaxSystemRegSize});
    }
    qputenv("WINEPREFIX", QFile::encodeName(to_path(dir.file("absent"))));
    EXPECT_EQ(read_machine_string("Software\\Example\\Vev", "InstallPath"), "");
    saved.isNull() ? qunsetenv("WINEPREFIX") : qputenv("WINEPREFIX", saved);

    EXPECT_EQ(native_path_of("C:\\Jeux\\Vev\\", "/p/") + "|" + native_path_of("d:/Jeux", "/p/") +
                  "|" + native_path_of("", "/p/"),
              "/p/drive_c/Jeux/Vev/|/p/dosdevices/d:/Jeux|");
}
