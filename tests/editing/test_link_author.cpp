#include "database/paths.h"
#include "editing/link_author.h"
#include "editing/point_edit.h"
#include "foundation/func_color.h"
#include "mainwindow/map_view.h"
#include "support/form4_points.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

pMap_info zone(int16_t id, int32_t origin_x, int32_t origin_y) {
    pMap_info z;
    std::tie(z.zone_id, z.origin_x, z.origin_y) = std::tuple(id, origin_x, origin_y);
    return z;
}

std::vector<TPoint> world(const std::vector<rWaypoint>& waypoints) {
    std::vector<TPoint> out;
    for (const rWaypoint& w : waypoints)
        out.push_back(worldmaptoworld({w.x, w.y}, *w.zone));
    return out;
}

} // namespace

TEST(LinkAuthor, RoutesAndAreasReadBackAsTheirWaypointsOptionsAndBridges) {
    pMap_info val = zone(10, 0, 0);
    std::vector<rWaypoint> three = {{1000, 2000, &val}, {1100, 1900, &val}, {1100, 2100, &val}};
    EXPECT_EQ(route_link(kNewRouteOptions, three, val), "V_009103E807D0006400640000FF38");
    EXPECT_EQ(area_link(three), "S_000003E8000007D0006400640000FF38");
    // A step into the next zone is a world step; the first waypoint must lie in the point's zone.
    pMap_info mont = zone(11, 65536, 0);
    const std::vector<rWaypoint> across = {{65000, 100, &val}, {500, 100, &mont}};
    EXPECT_EQ(route_link("0091", across, val)->substr(14, 4), "040C");
    EXPECT_EQ(route_link("0091", across, mont), std::nullopt);
    // Negative world positions and steps in every direction, through the project's decoders.
    pMap_info west = zone(12, -70000, 40000), east = zone(13, -4464, 40000);
    const std::vector<rWaypoint> walk = {
        {60000, 100, &west}, {3000, 20000, &east}, {62000, 5, &west}, {61000, 30000, &west}};
    rItemdata item;
    std::tie(item.x, item.y) = std::pair(17, 23);
    item.command = decode_link(*route_link("1051", walk, west), 0x00FF00);
    rwpitem path;
    ASSERT_TRUE(decode_path(item, west, path));
    std::vector<TPoint> expected = {worldmaptoworld({17, 23}, west)};
    for (const TPoint& p : world(walk))
        expected.push_back(p);
    EXPECT_TRUE(path.points == expected && item.command->value == 1);
    item.command = decode_link(area_link(walk), 0x00FF00);
    rwpitem area;
    ASSERT_TRUE(decode_area(item, area));
    EXPECT_EQ(area.points, world(walk));
    EXPECT_TRUE(route_options_of("1091").every_zoom &&
                route_options_of("1091").opacity_position == 10);
    EXPECT_EQ(route_options_code("1091", {false, 3}) + route_options_code("0x91", {true, 8}),
              "00211x71");
    EXPECT_EQ(route_options_of("00x1").opacity_position, 10);
    // Two points without ids: both get fresh ones and each names the other.
    TBridgeIds ids;
    const TBridgePlan two = plan_bridge({}, {}, true, ids);
    const rCommand a = decode_link(two.this_link, 0);
    const rCommand b = decode_link(two.other_new_link, 0);
    EXPECT_TRUE(a.kind == coIsBridge && a.colour_a != 0 && b.colour_a != 0);
    EXPECT_EQ(std::pair(a.colour_b, b.colour_b), std::pair(b.colour_a, a.colour_a));
    // One way to a point that leads back here: it keeps its id and loses that target.
    const TBridgePlan one =
        plan_bridge({1, 0x2A, 0, ""}, {0, 0x51, 0x2A, "B_00000005100000002A"}, false, ids);
    EXPECT_EQ(one.this_link + " " + one.other_new_link + " " + one.other_old_link,
              "B_10000002A00000051 B_00000005100000000 B_00000005100000002A");
    EXPECT_EQ(plan_bridge({0, 7, 0, ""}, {0, 8, 9, ""}, false, ids).other_new_link,
              "B_00000000800000009");
    EXPECT_EQ(switch_bridge_flag("B_10000002A00000051") + switch_bridge_flag("B_x"),
              "B_00000002A00000051B_x");
    EXPECT_EQ(switch_bridge_flag("B_00000002A00000051"), "B_10000002A00000051");
    EXPECT_EQ(
        (std::vector{link_options_item("V_"), link_options_item("M_0"), link_options_item("J12")}),
        (std::vector{TLinkOptionsItem::Unchanged, TLinkOptionsItem::Enabled,
                     TLinkOptionsItem::Disabled}));
}

TEST(PointEdit, InputChecksLevelBandsReferencesAndPastedBridgeEnds) {
    using Lines = std::vector<std::string>;
    for (auto [name, category, comment, message] : {std::tuple{"New (Demo)", true, Lines{}, 17},
                                                    {"@Inn", true, {}, 18},
                                                    {"Inn #1", false, {"|"}, 62},
                                                    {"Inn", true, {"a", "", "b"}, 0}})
        EXPECT_EQ(point_input_fault(name, "New (Demo)", category, comment), message) << name;
    EXPECT_EQ(comment_length({"ab", "", "c"}), 7);
    init_level_colors();
    const std::vector<std::pair<int, int>> bands60 = {{1, 47},  {48, 57}, {58, 62},
                                                      {63, 64}, {65, 67}, {68, 99}};
    for (int band = 0; band < 6; ++band) {
        const TLevelRange r = level_band(band, 60, true);
        EXPECT_EQ(std::make_pair(r.min, r.max), bands60[size_t(band)]) << band;
    }
    EXPECT_EQ(level_band(2, 60, false).max + level_band(0, 1, true).min, 0);
    // References: comment order, the id after "#" in the Tag, the web image on a read-only
    // database; "{}", an unclosed name and an id too long name nothing more.
    const std::string comment = " Voir {Bac} et {Pont #12}, {} {N #99999999999} {reste";
    const std::vector<TReferenceItem> items = reference_items(comment, true);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].caption + "|" + std::to_string(items[0].tag), "Bac|256");
    EXPECT_EQ(items[1].caption + "|" + std::to_string(items[1].tag), "Pont |268");
    EXPECT_TRUE(items[1].web && !reference_items(comment, false)[1].web);
    EXPECT_EQ(std::pair(items[2].tag, first_id(comment)), std::pair(256, 12));
    // A pasted copy of a bridge end leaves the bridge to its point.
    support::PointsFixture f{
        {{1, 0, 10, "Nord"}}, {{.name = "Val", .zone_id = 10, .continent_id = 1}}, {{"Ponts", 1}}};
    const auto copy = new_clipboard_copy();
    const auto paste = [&](int32_t at) {
        const TreeNode* n = f.add(paste_record(*copy, *f.map_data->zones[0], {at, at}, f.tree));
        return n->item()->command ? n->item()->command->code : "";
    };
    rnew_node p = support::PointsFixture::point("Bac", 10, 1, 100, 100);
    p.link = "B_1000000AB000000CD";
    TreeNode* bac = f.add(p);
    // Copied, a bridge end comes without the bridge, which still leads to it.
    copy_to_clipboard(*copy, bac);
    EXPECT_TRUE(paste(300).empty() && bridge_end(f.tree, 0xAB) == bac);
    // Cut and pasted, it moves with its bridge, once.
    copy->source_node = nullptr;
    f.tree.delete_node(bac);
    EXPECT_EQ(paste(400), p.link);
    EXPECT_TRUE(paste(500).empty() && bridge_end(f.tree, 0xAB)->item()->x == 400);
    copy->item->command->code = "V_009103E807D000640064"; // a route comes with every copy
    EXPECT_EQ(paste(600) + paste(700), copy->item->command->code + copy->item->command->code);
}
