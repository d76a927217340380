#include "foundation/func_karvo.h"
#include "foundation/text_codec.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A database folder with a url.bin of these lines and a master.loc of this version.
void make_database(const TempDir& dir, const std::string& name,
                   const std::vector<std::string>& lines, uint32_t version = db_version) {
    QDir().mkpath(to_path(dir.file(name)));
    ASSERT_TRUE(support::write_scrambled_list(dir.file(name + "/url.bin"), lines));
    ASSERT_TRUE(support::ContainerWriter().version(version).write(dir.file(name + "/master.loc")));
}

} // namespace

TEST(DatabaseScan, ReadsTheNineLinesOfEachDatabase) {
    TempDir dir;
    make_database(dir, "Forêt", support::url_lines("False", "First part%%second part"));
    TDatabaseList list;
    list.push_back(std::make_unique<rdbavailable>()); // the scan does not empty the list
    scan_databases(dir.path(), list);
    ASSERT_EQ(list.size(), 2u);
    const rdbavailable& db = *list[1];
    EXPECT_EQ(db.folder, "Forêt"); // the file system's bytes
    EXPECT_EQ(db.mail_address, "collect@example.org");
    EXPECT_EQ(db.update_address1 + db.update_address2 + db.update_address3,
              "http://update.example.org/check.php?v=2");
    EXPECT_EQ(db.upload_address, "http://upload.example.org/send.php");
    EXPECT_EQ(db.newer_version_page, "http://www.example.org/news.html");
    EXPECT_EQ(db.description, "First partsecond part");
    EXPECT_EQ(db.display_description, "First part\rsecond part");
    EXPECT_TRUE(db.version_ok);

    TempDir empty;
    scan_databases(empty.path(), list);
    EXPECT_EQ(list.size(), 2u);
}

// Each folder is listed (with its line 8 and its version), skipped as no database of this
// program, or left out and named because it cannot be read; none of them hides the others.
TEST(DatabaseScan, EachFolderIsListedSkippedOrNamed) {
    TempDir dir;
    const auto lines = [](const char* first, const char* eighth, size_t count) {
        auto all = support::url_lines(eighth);
        all[0] = first;
        all.resize(count);
        return all;
    };
    for (auto [folder, first, eighth] : {std::tuple{"hex", "$426", "0"},
                                         {"trailing", "1062 ", "0"},
                                         {"older", "1061", "0"},
                                         {"false", "1062", "FALSE"},
                                         {"blanks", "1062", " 0 "},
                                         {"minus", "1062", "-1"},
                                         {"true", "1062", "true"},
                                         {"half", "1062", "2,5"},
                                         {"maybe", "1062", "maybe"},
                                         {"База", "1062", "0"},
                                         {"short", "1062", "0"},
                                         {"tiny", "1062", "0"},
                                         {"nourl", "1062", "0"},
                                         {"nomaster", "1062", "0"},
                                         {"otherkey", "1062", "0"},
                                         {"damaged", "1062", "0"},
                                         {"large", "1062", "0"},
                                         {"oldformat", "1062", "0"}})
        make_database(dir, folder, lines(first, eighth, folder == std::string("short") ? 8 : 9),
                      folder == std::string("oldformat") ? 1061 : db_version);
    support::write_raw(dir.file("tiny/master.loc"), "\x26\x04");
    QFile::remove(to_path(dir.file("nourl/url.bin")));
    QFile::remove(to_path(dir.file("nomaster/master.loc")));
    support::write_raw(dir.file("otherkey/url.bin"),
                       support::scrambled_list(support::url_lines(), "nope"));
    support::write_raw(dir.file("damaged/url.bin"), "\x78\x9C garbage");
    auto large = support::url_lines();
    large[8] = std::string(max_list_file_size, 'd'); // one past the limit with its line ends
    ASSERT_TRUE(support::write_scrambled_list(dir.file("large/url.bin"), large));
    QDir().mkpath(to_path(dir.file("plain")));
    support::write_raw(dir.file("loose.bin"), "a file, not a folder");

    TDatabaseList list;
    TScanReport report;
    scan_databases(dir.path(), list, &report);
    std::vector<std::string> listed, named = report.unreadable;
    for (const auto& db : list) // folder, read-only, right version
        listed.push_back(db->folder + " " + char('0' + db->not_editable) +
                         char('0' + db->version_ok));
    std::sort(listed.begin(), listed.end());
    std::sort(named.begin(), named.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"blanks 01", "false 01", "half 11", "hex 01",
                                                "minus 11", "oldformat 00", "true 11", "База 01"}));
    EXPECT_EQ(named, (std::vector<std::string>{"damaged", "large", "maybe", "tiny"}));
    EXPECT_EQ(report.not_listed, 0u);
}

TEST(DatabaseScan, ListsAtMostItsLimitAndCountsTheFoldersLeft) {
    TempDir dir;
    for (size_t i = 0; i <= max_databases; ++i)
        make_database(dir, "db" + std::to_string(i), support::url_lines());
    TDatabaseList list;
    TScanReport report;
    scan_databases(dir.path(), list, &report);
    EXPECT_EQ(std::pair(list.size(), report.not_listed), std::pair(max_databases, size_t(1)));
    // The current or the editable database is listed wherever the file system puts it.
    size_t left = 0;
    while (std::any_of(list.begin(), list.end(),
                       [&](const auto& r) { return r->folder == "db" + std::to_string(left); }))
        ++left;
    TDatabaseList again;
    scan_databases(dir.path(), again, nullptr, {"", "DB" + std::to_string(left)});
    EXPECT_EQ(again.front()->folder, "db" + std::to_string(left));
}

// The first-run dialog's test fills a combo box with it.
TEST(FolderCombo, ListsMatchingFoldersOnlyAndSelectsIgnoringCase) {
    TempDir dir;
    for (const char* name : {"Francais", "English", "Deutsch"})
        QDir().mkpath(to_path(dir.file(name)));
    support::write_raw(dir.file("Eile.txt"), "not a folder");
    TFolderChoice choice = fill_folder_combo(dir.path() + "e*", "english");
    ASSERT_EQ(choice.names, std::vector<std::string>{"English"});
    EXPECT_EQ(choice.selected, 0);
    EXPECT_EQ(fill_folder_combo(dir.path() + "missing/*", "x").selected, -1);
    for (size_t i = 0; i < max_folder_choices; ++i) // one past the limit with "Francais"
        QDir().mkpath(to_path(dir.file("L" + std::to_string(i))));
    EXPECT_EQ(fill_folder_combo(dir.path() + "*", "x").names.size(), max_folder_choices);
}
