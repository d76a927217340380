#include "foundation/errors.h"
#include "foundation/func_karvo.h"
#include "foundation/text_codec.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <QDir>

#include <gtest/gtest.h>

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
    EXPECT_EQ(db.folder, "For\xEAt"); // a text
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

TEST(DatabaseScan, ErrorsNameTheFolderAndKeepEarlierRecords) {
    // A line 8 that is no boolean, then a master.loc too short for its version.
    for (bool bad_boolean : {true, false}) {
        TempDir dir;
        make_database(dir, "good", support::url_lines());
        make_database(dir, "bad", support::url_lines(bad_boolean ? "maybe" : "0"));
        if (!bad_boolean)
            support::write_raw(dir.file("bad/master.loc"), "\x26\x04");
        TDatabaseList list;
        std::string error;
        try {
            scan_databases(dir.path(), list);
        } catch (const EConvertError& e) {
            error = bad_boolean ? e.what() : "";
        } catch (const EInOutError& e) {
            error = bad_boolean ? "" : e.what();
        }
        EXPECT_EQ(error.rfind("bad: ", 0), 0u) << error;
        // The folders come in file-system order: the good one may or may not be done.
        ASSERT_LE(list.size(), 1u);
        EXPECT_TRUE(list.empty() || list[0]->folder == "good");
    }
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
