// The demo installation's database, written from the repository's description, read back with
// the system's own readers: complete and loadable.

#include "database/points_reader.h"
#include "demo/demo_database.h"
#include "foundation/Data.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/map_data.h"
#include "foundation/text_codec.h"
#include "support/temp_dir.h"

#include <QImage>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

using namespace support;

namespace {

// One demo installation for the whole suite.
class DemoDatabaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<TempDir>();
        db_ = std::make_unique<DemoDatabase>(
            load_demo_description(KARVELO_SOURCE_DIR "/demo/Demo/database.json"));
        write_demo_installation(*db_, dir_->path());
    }
    static void TearDownTestSuite() {
        db_.reset();
        dir_.reset();
    }
    static std::string master() { return dir_->path() + "database/Demo/master.loc"; }

    static std::unique_ptr<TempDir> dir_;
    static std::unique_ptr<DemoDatabase> db_;
};

std::unique_ptr<TempDir> DemoDatabaseTest::dir_;
std::unique_ptr<DemoDatabase> DemoDatabaseTest::db_;

} // namespace

TEST_F(DemoDatabaseTest, VersionSectionsAndScan) {
    EXPECT_TRUE(check_version(master()));
    for (int index = 1; index <= 9; ++index) {
        std::string bytes;
        EXPECT_TRUE(load_section(bytes, master(), index) && !bytes.empty()) << index;
    }
    TDatabaseList list;
    scan_databases(dir_->path() + "database/", list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]->folder, "Demo");
    EXPECT_TRUE(list[0]->version_ok);
    EXPECT_NE(list[0]->description.find("d\xE9monstration"), std::string::npos); // Windows-1252
}

TEST_F(DemoDatabaseTest, MapsAndCategoriesLoadWithTheirImages) {
    TData_map map(master());
    EXPECT_EQ(map.zone_classes.size(), 4u);
    EXPECT_EQ(map.continents.size(), 3u);
    ASSERT_EQ(map.zones.size(), 9u);
    const std::string saved = maps_path;
    maps_path = dir_->path() + "maps/";
    EXPECT_TRUE(maps_complete(map));
    maps_path = saved;
    for (const auto& z : map.zones)
        EXPECT_FALSE(QImage(to_path(dir_->path() + "maps/" + z->image_name + ".jpg")).isNull());

    TempDir own;
    TData_common data(master(), own.file("catpref.bin"));
    ASSERT_GE(data.categories.size(), 10u);
    std::set<int> types;
    for (const auto& c : data.categories) {
        types.insert(c->type);
        EXPECT_FALSE(c->icon.isNull()) << c->name;
    }
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 4}));
    EXPECT_GE(data.flagspecs.size(), 20u);
}

TEST_F(DemoDatabaseTest, EveryPointLoadsAndEveryLinkKindIsPresent) {
    std::map<char, int> kinds;
    PointsReaderSink sink;
    sink.add_node = [&](rnew_node& r) {
        if (!r.link.empty())
            ++kinds[r.link[0]];
    };
    std::string section;
    ASSERT_TRUE(load_section(section, master(), 9));
    const PointsReadResult read = read_database(section, sink);
    EXPECT_TRUE(read.signature_ok);
    EXPECT_NE(read.header_value2.value_or(0), 0u); // the additions file is read
    EXPECT_EQ(read.points, db_->points.size());
    EXPECT_EQ(read.points_lost, 0u);
    for (char kind : {'V', 'S', 'I', 'M', 'B', 'J'})
        EXPECT_GE(kinds[kind], 1) << kind;
}

TEST_F(DemoDatabaseTest, AdditionsAddReplaceAndDeleteDatabasePoints) {
    std::string text;
    ASSERT_TRUE(read_file(dir_->path() + "ajouts/Vev_ajouts_Demo.txt", text));
    std::map<uint32_t, std::string> names;
    for (const PointSpec& p : db_->points)
        names[p.master_id] = p.name;
    int replacements = 0, deletions = 0, new_points = 0;
    const std::vector<std::string> lines = split_lines(text);
    for (size_t i = 2; i < lines.size(); ++i) {
        std::vector<std::string> fields(1);
        for (char c : lines[i]) { // the comment keeps the "|" past the fifteenth
            if (c == '|' && fields.size() < 16)
                fields.emplace_back();
            else
                fields.back() += c;
        }
        ASSERT_EQ(fields.size(), 16u) << lines[i];
        if (fields[13].empty()) {
            ++new_points;
            continue;
        }
        const auto it = names.find(std::stoul(fields[13], nullptr, 16));
        ASSERT_NE(it, names.end()) << lines[i];
        (fields[0] == "@" + it->second ? deletions : replacements)++;
    }
    EXPECT_GE(new_points, 1);
    EXPECT_GE(replacements, 1);
    EXPECT_GE(deletions, 1);
}
