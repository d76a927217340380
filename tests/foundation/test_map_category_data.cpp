#include "foundation/Data.h"
#include "foundation/binary_io.h"
#include "foundation/errors.h"
#include "foundation/func_ressource.h"
#include "foundation/map_data.h"
#include "foundation/text_codec.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"
#include "support/section_records.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace support;

namespace {

std::string write_master(const TempDir& dir, const ContainerWriter& container) {
    std::string path = dir.file("master.loc");
    EXPECT_TRUE(container.write(path));
    return path;
}

std::vector<std::string> zone_names(const TData_map& m) {
    std::vector<std::string> names;
    for (const auto& z : m.zones)
        names.push_back(z->name);
    return names;
}

} // namespace

TEST(MapData, ReadsTablesAndSortsZonesByName) {
    TempDir dir;
    std::string section = map_section({{"Forests", 3, 7}, {"Cities", 200, 8}},
                                      {{1, 5, 12, "Kalimdor", true}, {-2, 6, 30, "Outland", false}},
                                      {{"b", "img_b", 10, 1, 3, 40, 1000, -2000, false},
                                       {"A", "img_a", 11, 1, 200, 41, 0, 0, true},
                                       {"c", "img_c", -5, -2, 3, 42, -7, 9, false}});
    std::string master = write_master(dir, ContainerWriter().section(3, section));

    TData_map m(master);
    ASSERT_EQ(m.zone_classes.size(), 2u);
    EXPECT_EQ(m.zone_classes[1]->class_id, 200u);
    ASSERT_EQ(m.continents.size(), 2u);
    EXPECT_EQ(m.continents[1]->continent_id, -2);
    EXPECT_FALSE(m.continents[1]->in_menu);
    EXPECT_EQ(zone_names(m), (std::vector<std::string>{"A", "b", "c"}));
    const pMap_info& c = *m.zones[2];
    EXPECT_EQ(std::make_tuple(c.zone_id, c.origin_x, c.origin_y, c.zone_class, c.tree_icon),
              std::make_tuple(-5, -7, 9, 3, 42));
    EXPECT_TRUE(m.zones[0]->no_image);
    // Only the zones that need an image need its file; with no zones nothing is missing.
    const std::string saved = maps_path;
    maps_path = dir.path();
    EXPECT_FALSE(maps_complete(m));
    ASSERT_TRUE(write_raw(dir.file("img_b.jpg"), "x") && write_raw(dir.file("img_c.jpg"), "x"));
    EXPECT_TRUE(maps_complete(m) && maps_complete(TData_map(dir.file("none.loc"))));
    maps_path = saved;
}

TEST(MapData, ShortAndTruncatedSectionsKeepWholeRecords) {
    TempDir dir;
    auto counted = [](int32_t count, const std::string& records) {
        ByteWriter w;
        w.i32(count);
        return w.data() + records;
    };
    struct Case {
        std::string section;
        size_t classes, continents, zones;
    } cases[] = {
        {"", 0, 0, 0},
        {map_section({}, {}, {}), 0, 0, 0},
        // Two zone classes and nothing after them.
        {counted(2, zone_class_record({"x", 1}) + zone_class_record({"y", 2})), 2, 0, 0},
        // A continent record cut short: the tables stop, no zone is read after it.
        {counted(0, counted(3, continent_record({1, 0, 0, "One"}) +
                                   continent_record({2}).substr(0, 50))),
         0, 1, 0},
        // Counts far beyond the data, and a trailing partial zone.
        {counted(0x7FFFFFFF, zone_class_record({"only", 1}) + counted(-5, "")), 1, 0, 0},
        {map_section({}, {}, {{"z", "z", 1, 1}}) + std::string(91, 'x'), 0, 0, 1},
        // One record past each table's limit: the first ones are kept, the tables still follow.
        {map_section(std::vector<ZoneClassSpec>(kMaxZoneClasses + 1),
                     std::vector<ContinentSpec>(kMaxContinents + 1),
                     std::vector<ZoneSpec>(kMaxZones + 1)),
         kMaxZoneClasses, kMaxContinents, kMaxZones},
    };
    take_outside_limits();
    for (const Case& c : cases) {
        TData_map m(write_master(dir, ContainerWriter().section(3, c.section)));
        EXPECT_EQ(std::tuple(m.zone_classes.size(), m.continents.size(), m.zones.size()),
                  std::tuple(c.classes, c.continents, c.zones))
            << &c - cases;
    }
    EXPECT_EQ(take_outside_limits(), 3);
    // Missing section and damaged stream: empty tables, no message.
    ScriptedMessages boxes;
    TData_map missing(dir.file("none.loc"));
    TData_map damaged(write_master(dir, ContainerWriter().raw_section(3, "\x78\x9c garbage")));
    EXPECT_TRUE(missing.zones.empty() && damaged.zones.empty());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(MapData, HostileZoneRecords) {
    std::string rec = zone_record({.name = "a", .image_name = "b"});
    ASSERT_EQ(rec.size(), pMap_info::record_size);
    rec[0] = '\xFF'; // length byte beyond the 30-character field
    rec[31] = '\xFF';
    pMap_info z(rec);
    EXPECT_EQ(z.name.size(), 30u);
    EXPECT_EQ(z.image_name.size(), 16u);
    EXPECT_THROW(pMap_info(std::string_view(rec).substr(0, 91)), EInOutError);

    // Origins far beyond any real world would overflow the map view's sums: those zones are
    // skipped, the others kept.
    constexpr int32_t lim = kZoneOriginLimit;
    std::vector<ZoneSpec> zones;
    for (auto [x, y] : {std::pair{lim, -lim},
                        {-lim, lim},
                        {lim + 1, 0},
                        {0, -lim - 1},
                        {INT32_MIN, 0},
                        {0, INT32_MIN},
                        {INT32_MAX, INT32_MAX}})
        zones.push_back({.name = std::to_string(zones.size()), .origin_x = x, .origin_y = y});
    TempDir dir;
    TData_map m(write_master(dir, ContainerWriter().section(3, map_section({}, {}, zones))));
    EXPECT_EQ(zone_names(m), (std::vector<std::string>{"0", "1"}));
}

TEST(MapData, AnOutlinePastWhatIsLeftOfItsContinentsBudgetIsNotRead) {
    TempDir dir;
    ASSERT_TRUE(write_raw(dir.file("z.vec"), std::string("\x01\0\0\0\0\0", 6)));
    size_t budget = 13;
    for (size_t lines : {1u, 1u, 0u})
        EXPECT_EQ(read_outline(dir.file("z.vec"), &budget).lines.size(), lines);
}

namespace {

struct CategoryFixture : ::testing::Test {
    TempDir dir;
    std::string master;
    std::string catpref;

    void SetUp() override {
        std::vector<CategorySpec> cats = {{"Inns", 4, 2, 1, 0x0000FF, 1},
                                          {"Camps", 7, 3, 3, 0x00FF00},
                                          {"Camps bis", 7, 3, 4, 0xFF0000, 2}};
        cats[0].style = 3; // bold italic
        cats[0].font_size = 9;
        cats[0].comment_tens = 12;
        cats[1].style = 4; // regular
        std::vector<QColor> colours = {Qt::red, Qt::green, Qt::blue};
        std::string section7 = bmp_bytes(icon_strip(11, colours, 3));
        master = dir.file("master.loc");
        ASSERT_TRUE(ContainerWriter()
                        .section(4, category_section(cats))
                        .section(7, section7)
                        .section(2, property_section({{7, 0, 0x0000FF, "Camp"},
                                                      {8, 7, 0, "  Water  "},
                                                      {9, 0, 0x00FF00, ""}}))
                        .order({7, 4, 2})
                        .write(master));
        catpref = dir.file("catpref.bin");
    }
};

} // namespace

TEST_F(CategoryFixture, LoadsCategoriesIconsAndProperties) {
    TData_common data(master, catpref);
    ASSERT_EQ(data.categories.size(), 3u);
    const rCateg& inns = *data.categories[0];
    EXPECT_EQ(data.categories[2]->file_index, 2);
    EXPECT_TRUE(inns.font.bold() && inns.font.italic());
    EXPECT_EQ(inns.font.pointSize(), 9);
    EXPECT_FALSE(data.categories[1]->font.bold() || data.categories[1]->font.italic());
    EXPECT_EQ(inns.comment_limit, 120);

    // Icon 1 is green; the white column at its right edge is transparent.
    ASSERT_EQ(inns.icon.size(), QSize(11, 11));
    EXPECT_EQ(inns.icon.pixel(5, 5), qRgba(0, 255, 0, 255));
    EXPECT_EQ(qAlpha(inns.icon.pixel(10, 5)), 0);

    ASSERT_EQ(data.flagspecs.size(), 2u);
    EXPECT_EQ(std::tie(data.flagspecs[1]->name, data.flagspecs[1]->group), std::tuple("Water", 7));
    ASSERT_EQ(data.property_colors.size(), 2u);
    EXPECT_EQ(data.property_colors[1].flag_id, 9);
}

// One category record past the limit is left out.
TEST(CategoryData, AStripOfAnImpossibleSizeGivesNoIconsAndRecordsStopAtTheirLimit) {
    // 55 bytes claiming 5792 x 5792 pixels of 24 bits.
    ByteWriter bmp;
    bmp.bytes("BM");
    for (uint32_t v : {55u, 0u, 54u, 40u, 5792u, 5792u})
        bmp.u32(v);
    bmp.u16(1);
    bmp.u16(24);
    bmp.bytes(std::string(24 + 1, '\0'));
    TempDir dir;
    ASSERT_TRUE(ContainerWriter()
                    .section(4, category_section(std::vector<CategorySpec>(kMaxCategories + 1)))
                    .section(7, bmp.data())
                    .write(dir.file("m.loc")));
    TData_common data(dir.file("m.loc"), dir.file("catpref.bin"));
    ASSERT_EQ(data.categories.size(), kMaxCategories);
    EXPECT_EQ(data.categories.back()->file_index, 255);
    for (const auto& c : data.categories)
        EXPECT_EQ(c->icon.pixel(5, 5), 0u);
}

TEST_F(CategoryFixture, CatprefAppliesToFirstOfEqualIdsAndKeepsEveryLookItHolds) {
    ASSERT_TRUE(write_raw(catpref, catpref_file({{7, 0x123456, 9, false, 5, "Courier", 14},
                                                 {99, 1, 1, true, 0, "X", 8},
                                                 {4, 0x654321, 2, true, 2, "Times", 0}}) +
                                       "tail"));
    {
        TData_common data(master, catpref);
        const rCateg& camps = *data.categories[1];
        EXPECT_EQ(std::tie(camps.colour, camps.icon_index, camps.shown),
                  std::tuple(0x123456, 9, false));
        EXPECT_EQ(font_styles(camps.font), fsBold | fsUnderline);
        EXPECT_EQ(std::tuple(camps.font.pointSize(), from_qstring(camps.font.family())),
                  std::tuple(14, "Courier"));
        EXPECT_EQ(data.categories[2]->colour, 0xFF0000); // same id, untouched
        EXPECT_TRUE(data.categories[0]->font.italic() && !data.categories[0]->font.bold());
        data.categories[0]->colour = 0x0A0B0C;
    }
    // Released: one record per category, in list order, then the other database's record.
    std::string bytes;
    ASSERT_TRUE(read_file(catpref, bytes));
    ASSERT_EQ(bytes.size(), 4 * TData_common::catpref_record_size);
    // Size 0 stays 0.
    EXPECT_EQ(bytes.substr(0, 56), catpref_record({4, 0x0A0B0C, 2, true, 2, "Times", 0}));
    EXPECT_EQ(std::string() + bytes[56] + bytes[112], "\x07\x07"); // the ids of the others
    EXPECT_EQ((TData_common{master, catpref}.categories[0]->colour), 0x0A0B0C);

    // Every field at its edges, and every style alone or italic with underline, comes back.
    const CatprefSpec edges[] = {
        {4, int32_t(0x80000000), -1, false, 1, "", 0},
        {4, -1, INT32_MIN, true, 2, std::string(31, 'a'), 255},
        {4, int32_t(0xFF00FF00), -7, true, 4, "\xC9" + std::string(31, 'b'), 1},
        {4, INT32_MAX, INT32_MAX, false, 8, std::string(40, 'c'), 254},
        {4, 0, 0, true, 6, "Arial", 9},
    };
    for (const CatprefSpec& e : edges) {
        ASSERT_TRUE(write_raw(catpref, catpref_record(e)));
        EXPECT_EQ(font_styles(TData_common(master, catpref).categories[0]->font), e.style);
        ASSERT_TRUE(read_file(catpref, bytes));
        EXPECT_EQ(bytes.substr(0, 56), catpref_record(e)) << e.font_name.size();
    }
    // Another database (id 50 only) and back: the first one's looks stay.
    const std::string master2 = dir.file("master2.loc");
    ASSERT_TRUE(ContainerWriter().section(4, category_section({{"Mines", 50}})).write(master2));
    TData_common{master2, catpref}.categories[0]->colour = 0x5050;
    EXPECT_EQ(font_styles((TData_common{master, catpref}.categories[0]->font)), TFontStyles(6));
    EXPECT_EQ((TData_common{master2, catpref}.categories[0]->colour), 0x5050);
}

// catpref.bin is read up to the most a save writes: the looks of 512 categories. Records past it
// are not applied, and error.log says so.
TEST_F(CategoryFixture, CatprefIsReadUpToTheMostASaveWrites) {
    SavedGlobals saved;
    app_path = dir.path();
    const size_t most = TData_common::max_catpref_size / TData_common::catpref_record_size;
    std::vector<CatprefSpec> looks(most - 1, {99, 1, 1, true, 0, "X", 8});
    looks.push_back({4, 0x111111, 2, true, 0, "Times", 9});
    looks.push_back({7, 0x222222, 2, true, 0, "Times", 9});
    ASSERT_TRUE(write_raw(catpref, catpref_file(looks)));
    TData_common data(master, catpref);
    EXPECT_EQ(std::pair(data.categories[0]->colour, data.categories[1]->colour),
              std::pair(0x111111, 0x00FF00));
    EXPECT_EQ(file_text(dir.file("error.log")).substr(21),
              catpref + ": larger than its limit (512 records); only its first part is used.\r\n");
}

TEST(CategoryData, MissingSectionsBadPropertyLinesAndPartialRecords) {
    TempDir dir;
    ScriptedMessages boxes;
    res_messages.assign(23, "-");
    res_messages[15] = "message 15";
    const std::string master = dir.file("m.loc");
    const std::string catpref = dir.file("catpref.bin");
    // Without categories the user's looks stay as they were.
    const std::string looks = catpref_file({{1, 2, 3}, {4, 5, 6}}) + "x";
    ASSERT_TRUE(write_raw(catpref, looks));
    {
        TData_common data(dir.file("none.loc"), catpref);
        EXPECT_TRUE(data.categories.empty());
        EXPECT_EQ(boxes.texts(), std::vector<std::string>{"message 15"});
    }
    std::string bytes;
    ASSERT_TRUE(read_file(catpref, bytes));
    EXPECT_EQ(bytes, looks);
    auto load = [&](const std::string& properties, int categories = 1) {
        std::vector<CategorySpec> specs = {{.name = "A", .id = 1}, {.name = "B", .id = 2}};
        specs.resize(size_t(categories));
        std::string section4 = category_section(specs);
        if (categories == 2)
            section4.resize(188 + 100); // a partial last record
        EXPECT_TRUE(ContainerWriter().section(4, section4).section(2, properties).write(master));
        return TData_common(master, catpref);
    };
    // Lines after @eof are not read; an empty line or a bad number raises.
    EXPECT_EQ(load("  1   0 000000 One\r\n@eof\r\nbad line\r\n").flagspecs.size(), 1u);
    ASSERT_TRUE(write_raw(catpref, ""));
    EXPECT_THROW(load("  1   0 000000 One\r\n\r\n  2   0 000000 Two\r\n"), EConvertError);
    ASSERT_TRUE(read_file(catpref, bytes));
    EXPECT_EQ(bytes.size(), 56u); // catpref.bin is still written
    EXPECT_THROW(load("1x    0 000000 One\r\n"), EConvertError);
    EXPECT_EQ(load("", 2).categories.size(), 1u);

    // A catpref.bin that cannot be written: message 22 at each save, the release's included.
    const std::string blocked = dir.file("nofolder/catpref.bin");
    EXPECT_FALSE(TData_common(master, blocked).save_catpref(blocked));
    EXPECT_EQ(boxes.shown().size(), 3u);
    EXPECT_FALSE(file_exists(blocked));
}
