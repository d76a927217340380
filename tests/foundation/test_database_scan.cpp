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

const rdbavailable* find(const TDatabaseList& list, const std::string& folder) {
    for (const auto& db : list)
        if (db->folder == folder)
            return db.get();
    return nullptr;
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

TEST(DatabaseScan, SkipsFoldersThatAreNotDatabases) {
    TempDir dir;
    auto lines = support::url_lines();
    for (auto [folder, first] :
         {std::pair{"hex", "$426"}, {"trailing", "1062 "}, {"older", "1061"}}) {
        lines[0] = first;
        make_database(dir, folder, lines);
    }
    lines[0] = "1062";
    make_database(dir, "short", std::vector<std::string>(lines.begin(), lines.begin() + 8));
    make_database(dir, "nomaster", lines);
    QFile::remove(to_path(dir.file("nomaster/master.loc")));
    make_database(dir, "otherkey", lines);
    support::write_raw(dir.file("otherkey/url.bin"), support::scrambled_list(lines, "nope"));
    make_database(dir, "damaged", lines);
    support::write_raw(dir.file("damaged/url.bin"), "\x78\x9C garbage");
    QDir().mkpath(to_path(dir.file("plain")));
    support::write_raw(dir.file("loose.bin"), "a file, not a folder");
    // A master.loc of another version is still listed.
    make_database(dir, "oldformat", lines, 1061);

    TDatabaseList list;
    scan_databases(dir.path(), list);
    ASSERT_EQ(list.size(), 2u);
    ASSERT_NE(find(list, "hex"), nullptr);
    EXPECT_TRUE(find(list, "hex")->version_ok);
    ASSERT_NE(find(list, "oldformat"), nullptr);
    EXPECT_FALSE(find(list, "oldformat")->version_ok);
}

TEST(DatabaseScan, LineEightIsABoolean) {
    TempDir dir;
    const std::vector<std::pair<std::string, bool>> cases = {{"0", false},   {"FALSE", false},
                                                             {" 0 ", false}, {"-1", true},
                                                             {"true", true}, {"2,5", true}};
    for (size_t i = 0; i < cases.size(); ++i)
        make_database(dir, "db" + std::to_string(i), support::url_lines(cases[i].first));
    TDatabaseList list;
    scan_databases(dir.path(), list);
    ASSERT_EQ(list.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(find(list, "db" + std::to_string(i))->not_editable, cases[i].second)
            << cases[i].first;
}

TEST(DatabaseScan, UnreadableFoldersAreLeftOutAndNamedAndTheOthersListed) {
    TempDir dir;
    for (const char* name : {"good", "База", "boolean", "short", "damaged", "large", "nourl"})
        make_database(dir, name,
                      support::url_lines(std::string(name) == "boolean" ? "maybe" : "0"));
    support::write_raw(dir.file("short/master.loc"), "\x26\x04");
    support::write_raw(dir.file("damaged/url.bin"), "\x78\x9C garbage");
    auto large = support::url_lines();
    large[8] = std::string(max_url_list_size, 'd'); // one past the limit with its line ends
    ASSERT_TRUE(support::write_scrambled_list(dir.file("large/url.bin"), large));
    QFile::remove(to_path(dir.file("nourl/url.bin"))); // no database: nothing to say
    TDatabaseList list;
    TScanReport report;
    scan_databases(dir.path(), list, &report);
    std::vector<std::string> listed, named = report.unreadable;
    for (const auto& db : list)
        listed.push_back(db->folder);
    std::sort(listed.begin(), listed.end());
    std::sort(named.begin(), named.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"good", "База"}));
    EXPECT_EQ(named, (std::vector<std::string>{"boolean", "damaged", "large", "short"}));
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
}
