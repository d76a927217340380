#include "platform/registry.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

// A system.reg as Wine writes it: escaped key paths, quoted values, other value types.
const char* const kSystemReg = "WINE REGISTRY Version 2\n"
                               ";; All keys relative to \\\\Machine\n\n"
                               "#arch=win64\n\n"
                               "[Software\\\\Example\\\\Vev] 1700000000\n"
                               "#time=1da0000000000000\n"
                               "\"InstallPath\"=\"C:\\\\Jeux\\\\Vev\\\\\"\n"
                               "\"Quoted\"=\"dit \\\"oui\\\"\\x00e9\\t\\101.\"\n"
                               "\"Number\"=dword:00000010\n"
                               "\"Expand\"=str(2):\"%ProgramFiles%\\\\Vev\"\n"
                               "@=\"default\"\n\n"
                               "[Software\\\\Example\\\\Vev\\\\Sub] 1700000000\n"
                               "\"Other\"=\"x\"\n\n"
                               "[Software\\\\Wow6432Node\\\\Old\\\\Game] 1700000000\r\n"
                               "\"InstallPath\"=\"D:\\\\Jeux\\\\\"\r\n";

} // namespace

TEST(Registry, ReadsStringValuesOfSystemReg) {
    TempDir dir;
    const std::string reg = dir.file("system.reg");
    ASSERT_TRUE(support::write_raw(reg, kSystemReg));
    const std::pair<std::pair<const char*, const char*>, std::string> cases[] = {
        {{"SOFTWARE\\example\\VEV", "installpath"}, "C:\\Jeux\\Vev\\"},
        {{"\\Software\\Example\\Vev\\", "Quoted"}, "dit \"oui\"\xE9\tA."},
        {{"Software\\Example\\Vev", "Expand"}, "%ProgramFiles%\\Vev"},
        {{"Software\\Example\\Vev", ""}, "default"},
        {{"Software\\Example\\Vev", "Number"}, ""},             // not a string
        {{"Software\\Example\\Vev", "Other"}, ""},              // in a subkey only
        {{"Software\\Example", "InstallPath"}, ""},             // a parent key
        {{"Software\\Old\\Game", "InstallPath"}, "D:\\Jeux\\"}, // a 32-bit program's key
        {{"Software\\Missing", "InstallPath"}, ""},
        {{"", "InstallPath"}, ""},
    };
    for (const auto& [query, expected] : cases)
        EXPECT_EQ(read_machine_string(reg, query.first, query.second), expected)
            << query.first << " " << query.second;
    EXPECT_EQ(read_machine_string(dir.file("none.reg"), "Software\\Example\\Vev", "InstallPath"),
              "");

    // The prefix of the user: $WINEPREFIX.
    const QByteArray saved = qgetenv("WINEPREFIX");
    qputenv("WINEPREFIX", QFile::encodeName(to_path(dir.path())));
    EXPECT_EQ(wine_prefix(), dir.path());
    EXPECT_EQ(read_machine_string("Software\\Example\\Vev", "InstallPath"), "C:\\Jeux\\Vev\\");
    qputenv("WINEPREFIX", QFile::encodeName(to_path(dir.file("absent"))));
    EXPECT_EQ(read_machine_string("Software\\Example\\Vev", "InstallPath"), "");
    saved.isNull() ? qunsetenv("WINEPREFIX") : qputenv("WINEPREFIX", saved);
}

TEST(Registry, WindowsPathsBecomePathsOfThePrefix) {
    EXPECT_EQ(native_path_of("C:\\Jeux\\Vev\\", "/p/"), "/p/drive_c/Jeux/Vev/");
    EXPECT_EQ(native_path_of("c:/Jeux", "/p/"), "/p/drive_c/Jeux");
    EXPECT_EQ(native_path_of("D:\\Jeux\\", "/p/"), "/p/dosdevices/d:/Jeux/");
    EXPECT_EQ(native_path_of("", "/p/"), "");
    EXPECT_EQ(native_path_of("\\\\server\\share", "/p/"), "//server/share");
}
