// The demo installation's database, written from the repository's description, read back with
// the system's own readers; and the link strings the points writer lays out.

#include "foundation/Data.h"
#include "foundation/binary_io.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/map_data.h"
#include "foundation/text_codec.h"
#include "support/demo_database.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

using namespace support;

namespace {

const std::string description = std::string(KARVELO_SOURCE_DIR) + "/demo/Demo/database.json";

// One demo installation for the whole suite.
class DemoDatabaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<TempDir>();
        db_ = std::make_unique<DemoDatabase>(load_demo_description(description));
        write_demo_installation(*db_, dir_->path());
    }
    static void TearDownTestSuite() {
        db_.reset();
        dir_.reset();
    }
    static std::string master() { return dir_->path() + "database/Demo/master.loc"; }
    static std::string section(int index) {
        std::string bytes;
        EXPECT_TRUE(load_section(bytes, master(), index)) << "section " << index;
        return bytes;
    }

    static std::unique_ptr<TempDir> dir_;
    static std::unique_ptr<DemoDatabase> db_;
};

std::unique_ptr<TempDir> DemoDatabaseTest::dir_;
std::unique_ptr<DemoDatabase> DemoDatabaseTest::db_;

// One point record as read back from the points database by its documented layout.
struct ReadPoint {
    std::string name;
    int zone = 0, category = 0, x = 0, y = 0, level_min = 0, level_max = 0;
    uint32_t master = 0;
    std::string comment, link;
    bool locked = false;
    TFlagSet flags;
};

struct ReadDatabase {
    std::map<int, uint32_t> header32;
    bool has_date = false;
    bool ended = false;
    std::vector<ReadPoint> points;
};

ReadDatabase walk_points(const std::string& data) {
    ReadDatabase out;
    ByteReader r(data, 8);
    ReadPoint p;
    auto text = [&r] { return r.bytes(r.u16()); };
    while (!r.at_end()) {
        const uint8_t tag = r.u8();
        if (tag == 1)
            p.name = text();
        else if (tag == 2)
            p.zone = r.u16();
        else if (tag == 3)
            p.category = r.u8();
        else if (tag == 4)
            p.x = r.u16();
        else if (tag == 5)
            p.y = r.u16();
        else if (tag == 6)
            p.level_min = r.u16();
        else if (tag == 7)
            p.level_max = r.u16();
        else if (tag == 11)
            p.master = r.u32();
        else if (tag == 12)
            p.comment = text();
        else if (tag == 13)
            p.link = text();
        else if (tag == 14)
            p.locked = r.u8() != 0;
        else if (tag >= 20 && tag <= 23)
            p.flags.w[tag - 20] = r.u32();
        else if (tag == 199) {
            out.points.push_back(p);
            p = ReadPoint{};
        } else if (tag == 200 || tag == 201)
            out.header32[tag] = r.u32();
        else if (tag == 202) {
            r.f64();
            out.has_date = true;
        } else if (tag == 255) {
            out.ended = true;
            break;
        } else
            ADD_FAILURE() << "tag " << int(tag) << " written";
    }
    return out;
}

} // namespace

TEST_F(DemoDatabaseTest, ContainerHoldsNineSectionsAndScansAsOneDatabase) {
    EXPECT_TRUE(check_version(master()));
    for (int index = 1; index <= 9; ++index)
        EXPECT_FALSE(section(index).empty()) << "section " << index;
    EXPECT_EQ(section(9).substr(0, 8), "WOWKV101");

    TDatabaseList list;
    scan_databases(dir_->path() + "database/", list);
    ASSERT_EQ(list.size(), 1u);
    const rdbavailable& demo = *list[0];
    EXPECT_EQ(demo.folder, "Demo");
    EXPECT_TRUE(demo.version_ok);
    EXPECT_FALSE(demo.not_editable);
    EXPECT_EQ(demo.update_address1 + demo.update_address2 + demo.update_address3,
              "http://maj.example.org/vev/update.php");
    EXPECT_NE(demo.upload_address.find("example.org"), std::string::npos);
    EXPECT_NE(demo.mail_address.find("@example.org"), std::string::npos);
    EXPECT_EQ(demo.description.find("%%"), std::string::npos);
    EXPECT_NE(demo.display_description.find('\r'), std::string::npos);
    EXPECT_NE(demo.description.find("d\xE9monstration"), std::string::npos); // Windows-1252
}

TEST_F(DemoDatabaseTest, ZonesOfAContinentSitSideBySideAndHaveTheirImages) {
    TData_map map(master());
    EXPECT_EQ(map.zone_classes.size(), 4u);
    ASSERT_EQ(map.continents.size(), 3u);
    ASSERT_EQ(map.zones.size(), 9u);

    std::set<uint32_t> classes;
    for (const auto& c : map.zone_classes)
        classes.insert(c->class_id);
    for (const auto& continent : map.continents) {
        std::vector<const pMap_info*> zones;
        for (const auto& z : map.zones)
            if (z->continent_id == continent->continent_id)
                zones.push_back(z.get());
        ASSERT_GE(zones.size(), 2u) << continent->name;
        bool menu_zone_here = false;
        for (const pMap_info* a : zones) {
            menu_zone_here = menu_zone_here || a->zone_id == continent->whole_zone_id;
            EXPECT_TRUE(classes.count(a->zone_class)) << a->name;
            // Whole zone steps apart, and each zone touches another one of its continent.
            EXPECT_EQ(a->origin_x % 65536, 0) << a->name;
            EXPECT_EQ(a->origin_y % 65536, 0) << a->name;
            int neighbours = 0;
            for (const pMap_info* b : zones) {
                if (a == b)
                    continue;
                const int64_t dx = std::abs(int64_t(a->origin_x) - b->origin_x);
                const int64_t dy = std::abs(int64_t(a->origin_y) - b->origin_y);
                EXPECT_FALSE(dx == 0 && dy == 0) << a->name << " overlaps " << b->name;
                if (dx + dy == 65536)
                    ++neighbours;
            }
            EXPECT_GE(neighbours, 1) << a->name;
        }
        EXPECT_TRUE(menu_zone_here) << continent->name;
    }
    const auto foret = std::find_if(map.zones.begin(), map.zones.end(),
                                    [](const auto& z) { return z->zone_id == 10; });
    ASSERT_NE(foret, map.zones.end());
    EXPECT_EQ((*foret)->name, "For\xEAt d'\xC9meraude");

    const std::string saved = maps_path;
    maps_path = dir_->path() + "maps/";
    EXPECT_TRUE(maps_complete(map));
    maps_path = saved;
    for (const auto& z : map.zones) {
        EXPECT_EQ(QImage(to_path(dir_->path() + "maps/" + z->image_name + ".jpg")).width(), 256);
        EXPECT_EQ(QImage(to_path(dir_->path() + "maps/high/" + z->image_name + ".jpg")).width(),
                  1024);
    }
}

TEST_F(DemoDatabaseTest, CategoriesPropertiesAndIconStripsLoad) {
    TempDir own;
    TData_common data(master(), own.file("catpref.bin"));
    ASSERT_GE(data.categories.size(), 10u);
    std::set<int> types;
    int with_levels = 0, link_targets = 0, default_names = 0, no_comment = 0, regions = 0;
    for (const auto& c : data.categories) {
        types.insert(c->type);
        with_levels += (c->type == 1 || c->type == 2 || c->type == 4);
        link_targets += c->link_target;
        default_names += !c->default_name.empty();
        no_comment += c->comment_limit == 0;
        regions += c->region_pass == 1 || c->region_pass == 2;
        EXPECT_FALSE(c->icon.isNull()) << c->name;
    }
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 4}));
    EXPECT_GT(with_levels, 0);
    EXPECT_GT(link_targets, 0);
    EXPECT_GT(default_names, 0);
    EXPECT_GT(no_comment, 0);
    EXPECT_GT(regions, 0);
    EXPECT_GE(data.flagspecs.size(), 20u);
    EXPECT_GE(data.property_colors.size(), 5u);
    int grouped = 0;
    for (const auto& f : data.flagspecs)
        grouped += f->group != 0;
    EXPECT_GT(grouped, 0);

    // Every icon index the database uses lies inside its strip.
    auto strip = [&](int index) {
        QImage image;
        const std::string bytes = section(index);
        EXPECT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                                       static_cast<int>(bytes.size()), "BMP"));
        return image;
    };
    const QImage menu = strip(1), map_icons = strip(7), tree = strip(8);
    EXPECT_EQ(menu.height(), 13);
    EXPECT_GE(menu.width(), 20);
    EXPECT_EQ(map_icons.height(), 11);
    EXPECT_EQ(tree.height(), 16);
    int tree_used = 0, map_used = 0;
    for (const auto& c : data.categories) {
        tree_used = std::max(tree_used, c->tree_icon + 4);
        map_used = std::max(map_used, c->icon_index);
    }
    TData_map map(master());
    for (const auto& z : map.zones)
        tree_used = std::max<int>(tree_used, z->tree_icon);
    for (const auto& z : map.zone_classes)
        tree_used = std::max<int>(tree_used, static_cast<int>(z->image_index));
    EXPECT_LT(tree_used, tree.width() / 16);
    EXPECT_LT(map_used, map_icons.width() / 11);
}

TEST_F(DemoDatabaseTest, PointsAreCompleteAndCarryEveryLinkKind) {
    const ReadDatabase read = walk_points(section(9));
    EXPECT_TRUE(read.ended);
    EXPECT_NE(read.header32.at(201), 0u); // the additions file is read
    EXPECT_TRUE(read.has_date);
    ASSERT_EQ(read.points.size(), db_->points.size());
    EXPECT_GE(read.points.size(), 80u);

    TData_map map(master());
    std::map<int, const pMap_info*> zones;
    for (const auto& z : map.zones)
        zones[z->zone_id] = z.get();
    TempDir own;
    TData_common data(master(), own.file("catpref.bin"));
    std::set<int> categories;
    for (const auto& c : data.categories)
        categories.insert(c->id);

    std::set<uint32_t> masters;
    std::map<char, int> kinds;
    std::set<uint32_t> bridge_ids, bridge_targets;
    int accented = 0;
    for (const ReadPoint& p : read.points) {
        EXPECT_TRUE(zones.count(p.zone)) << p.name;
        EXPECT_TRUE(categories.count(p.category)) << p.name;
        EXPECT_TRUE(masters.insert(p.master).second) << p.name;
        EXPECT_LE(p.level_min, p.level_max) << p.name;
        accented += std::any_of(p.name.begin(), p.name.end(),
                                [](char c) { return static_cast<unsigned char>(c) >= 0xC0; });
        if (p.link.empty())
            continue;
        ++kinds[p.link[0]];
        switch (p.link[0]) {
        case 'V':
            EXPECT_EQ((p.link.size() - 6) % 8, 0u) << p.name;
            EXPECT_GT(p.link.size(), 14u) << p.name;
            break;
        case 'S':
        case 'I':
        case 'M':
            EXPECT_EQ((p.link.size() - 18) % 8, 0u) << p.name;
            EXPECT_GT(p.link.size(), 18u) << p.name;
            break;
        case 'B':
            ASSERT_EQ(p.link.size(), 19u) << p.name;
            bridge_ids.insert(std::stoul(p.link.substr(3, 8), nullptr, 16));
            bridge_targets.insert(std::stoul(p.link.substr(11, 8), nullptr, 16));
            break;
        case 'J':
            break;
        default:
            ADD_FAILURE() << "unknown link kind on " << p.name;
        }
    }
    EXPECT_GT(accented, 10);
    for (char kind : {'V', 'S', 'I', 'M', 'B', 'J'})
        EXPECT_GE(kinds[kind], 1) << kind;
    EXPECT_EQ(bridge_ids, bridge_targets); // every bridge leads to another one
}

TEST_F(DemoDatabaseTest, AdditionsFileRefersToDatabasePoints) {
    std::string text;
    ASSERT_TRUE(read_file(dir_->path() + "ajouts/Vev_ajouts_Demo.txt", text));
    const std::vector<std::string> lines = split_lines(text);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0].substr(0, 5), "#v001");
    EXPECT_EQ(lines[1], "#v1.06");
    EXPECT_NE(text.find("\r\n"), std::string::npos);

    std::map<uint32_t, const PointSpec*> by_master;
    for (const PointSpec& p : db_->points)
        by_master[p.master_id] = &p;
    int replacements = 0, deletions = 0, new_points = 0;
    for (size_t i = 2; i < lines.size(); ++i) {
        // The first 15 "|" separate the fields; the comment keeps the others.
        std::vector<std::string> fields(1);
        for (char c : lines[i]) {
            if (c == '|' && fields.size() < 16)
                fields.emplace_back();
            else
                fields.back() += c;
        }
        ASSERT_EQ(fields.size(), 16u) << lines[i];
        EXPECT_EQ(fields[12].size(), 32u);
        if (fields[13].empty()) {
            ++new_points;
            continue;
        }
        const auto it = by_master.find(std::stoul(fields[13], nullptr, 16));
        ASSERT_NE(it, by_master.end()) << lines[i];
        const PointSpec& p = *it->second;
        EXPECT_EQ(fields[4], std::to_string(p.x));
        EXPECT_EQ(fields[5], std::to_string(p.y));
        EXPECT_FALSE(p.locked) << p.name;
        if (fields[0] == "@" + p.name)
            ++deletions;
        else
            ++replacements;
    }
    EXPECT_GE(new_points, 1);
    EXPECT_GE(replacements, 1);
    EXPECT_GE(deletions, 1);
}

TEST_F(DemoDatabaseTest, GeneratorSectionsNameEveryZoneImage) {
    const std::vector<std::string> settings = split_lines(section(5));
    ASSERT_GE(settings.size(), 5u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_GT(settings[i].size(), 7u);
    EXPECT_TRUE(std::any_of(settings.begin(), settings.end(),
                            [](const std::string& l) { return l.rfind("[VALI]=", 0) == 0; }));
    EXPECT_TRUE(std::any_of(settings.begin(), settings.end(),
                            [](const std::string& l) { return l.rfind("[PATH]=", 0) == 0; }));

    const std::vector<std::string> list = split_lines(section(6));
    ASSERT_EQ(list.size() % 17, 0u);
    std::set<std::string> names;
    for (size_t i = 0; i < list.size(); i += 17) {
        ASSERT_EQ(list[i].rfind("[name]", 0), 0u);
        names.insert(list[i].substr(6));
        for (size_t k = 1; k < 17; ++k)
            EXPECT_EQ(list[i + k].rfind("[zonA]", 0), 0u);
    }
    TData_map map(master());
    for (const auto& z : map.zones)
        EXPECT_TRUE(names.count(z->image_name)) << z->image_name;
}

TEST_F(DemoDatabaseTest, RewritingKeepsTheUsersAdditionsUnlessForced) {
    TempDir dist;
    const std::string additions = dist.file("ajouts/Vev_ajouts_Demo.txt");
    write_demo_installation(*db_, dist.path());
    ASSERT_TRUE(write_raw(additions, "#v001-id=111111-Moi\r\n#v1.06\r\n"));
    const std::vector<std::string> written = write_demo_installation(*db_, dist.path());
    EXPECT_EQ(written.size(), 2u); // master.loc and url.bin only
    std::string text;
    ASSERT_TRUE(read_file(additions, text));
    EXPECT_EQ(text, "#v001-id=111111-Moi\r\n#v1.06\r\n");

    write_demo_installation(*db_, dist.path(), {true});
    ASSERT_TRUE(read_file(additions, text));
    EXPECT_EQ(text.substr(0, 22), "#v001-id=418263-Ondine");
}

TEST(DemoDescription, FaultsAreNamedAndRefused) {
    TempDir dir;
    std::string json;
    ASSERT_TRUE(read_file(description, json));
    auto refused = [&](const std::string& from, const std::string& to,
                       const std::string& expected) {
        std::string changed = json;
        const size_t at = changed.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        changed.replace(at, from.size(), to);
        ASSERT_TRUE(write_raw(dir.file("bad.json"), changed));
        try {
            load_demo_description(dir.file("bad.json"));
            ADD_FAILURE() << "accepted: " << to;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
    };
    // A point in a zone that does not exist, a step too long for its field, a character that
    // has no Windows-1252 form, a zone name longer than its field, a new addition on the spot of
    // a database point, levels on a point whose category has none.
    refused("\"Vieux puits\", \"zone\": 10", "\"Vieux puits\", \"zone\": 99", "Vieux puits");
    refused("[[54000, 30500], [60000, 31200]", "[[54000, 30500], [99000, 31200]", "Route du Val");
    refused("Les cendres du roi", "Les cendres du roi \\u4e00", "Windows-1252");
    refused("\"Val-Doré\"", "\"Val-Doré de la Grande Plaine du Nord\"", "30 characters");
    refused("\"at\": [20500, 36800]", "\"at\": [18300, 33100]", "Vieux puits");
    refused("\"at\": [29900, 45600],", "\"at\": [29900, 45600], \"levels\": [1, 60],",
            "carries no levels");
}

TEST(LinkStrings, FieldsAreUpperCaseHexWithTheYStepSubtracted) {
    // Waypoints (16, 32) then one step right and one step down: dy = 32 - 33 = -1.
    EXPECT_EQ(route_link("0051", {{16, 32}, {17, 33}}), "V_005100100020"
                                                        "0001FFFF");
    EXPECT_THROW(route_link("0051", {{0, 0}, {40000, 0}}), std::out_of_range);
    EXPECT_THROW(route_link("0051", {{70000, 0}}), std::out_of_range);
    // World corners may be negative: two's complement in eight digits.
    EXPECT_EQ(area_link('S', {{-1, 65536}, {-1, 65535}}), "S_FFFFFFFF00010000"
                                                          "00000001");
    EXPECT_EQ(bridge_link(true, 42, 0), "B_10000002A00000000");
}
