// The demo installation's database, written from the repository's description, read back with
// the system's own readers.

#include "database/points_reader.h"
#include "demo/demo_database.h"
#include "foundation/Data.h"
#include "foundation/func_karvo.h"
#include "foundation/map_data.h"
#include "support/saved_globals.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace support;

TEST(DemoDatabase, InstallationHasEveryKindOfCategoryAndLink) {
    // Its whole load, points and additions, is the data load's test.
    SavedGlobals globals;
    TempDir dir;
    write_demo_installation(load_demo_description(KARVELO_SOURCE_DIR "/demo/Demo/database.json"),
                            dir.path());
    const std::string master = dir.path() + "database/Demo/master.loc";
    TData_map map(master);
    ASSERT_EQ(map.zones.size(), 9u);
    maps_path = dir.path() + "maps/";
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
    EXPECT_EQ(read_database(section, sink).points_lost, 0u);
    for (char kind : {'V', 'S', 'I', 'M', 'B', 'J'})
        EXPECT_GE(kinds[kind], 1) << kind;
}
