// The demo installation's database, written from the repository's description, read back with
// the system's own readers: complete, with every kind of category and link.

#include "database/points_reader.h"
#include "demo/demo_database.h"
#include "foundation/Data.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/map_data.h"
#include "foundation/text_codec.h"
#include "support/saved_globals.h"
#include "support/temp_dir.h"

#include <QImage>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace support;

TEST(DemoDatabase, InstallationIsCompleteWithEveryKindOfCategoryAndLink) {
    SavedGlobals globals;
    TempDir dir;
    const DemoDatabase db = load_demo_description(KARVELO_SOURCE_DIR "/demo/Demo/database.json");
    write_demo_installation(db, dir.path());
    const std::string master = dir.path() + "database/Demo/master.loc";
    EXPECT_TRUE(check_version(master));
    for (int index = 1; index <= 9; ++index) {
        std::string bytes;
        EXPECT_TRUE(load_section(bytes, master, index) && !bytes.empty()) << index;
    }

    TData_map map(master);
    ASSERT_EQ(map.zones.size(), 9u);
    maps_path = dir.path() + "maps/";
    EXPECT_TRUE(maps_complete(map));
    for (const auto& z : map.zones)
        EXPECT_FALSE(QImage(to_path(maps_path + z->image_name + ".jpg")).isNull());

    TData_common data(master, dir.file("catpref.bin"));
    std::set<int> types;
    for (const auto& c : data.categories) {
        types.insert(c->type);
        EXPECT_FALSE(c->icon.isNull()) << c->name;
    }
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 4}));

    std::map<char, int> kinds;
    PointsReaderSink sink;
    sink.add_node = [&](rnew_node& r) { ++kinds[r.link.empty() ? ' ' : r.link[0]]; };
    std::string section;
    ASSERT_TRUE(load_section(section, master, 9));
    const PointsReadResult read = read_database(section, sink);
    EXPECT_NE(read.header_value2.value_or(0), 0u); // the additions file is read
    EXPECT_EQ(read.points, db.points.size());
    EXPECT_EQ(read.points_lost, 0u);
    for (char kind : {'V', 'S', 'I', 'M', 'B', 'J'})
        EXPECT_GE(kinds[kind], 1) << kind;
}
