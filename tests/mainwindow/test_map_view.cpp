#include "mainwindow/map_view.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

pMap_info zone_at_cell(int column, int row) {
    pMap_info z;
    std::tie(z.origin_x, z.origin_y) = std::pair(column * 65536, -row * 65536); // y stored negated
    return z;
}

} // namespace

TEST(MapView, ConversionsRoundHalvesToEvenWithThe65535DivisorAndZonesHaveStrictBounds) {
    TMapView v{100, {0, 0}, 800, 600};
    EXPECT_EQ(v.worldtoscreen({65535, 32768}), (TPoint{100, 50})); // 50.00076 rounds down
    // At zoom 2, one pixel is 32767.5 world units: halves go to the even neighbour.
    const TMapView half{2, {0, 0}, 800, 600};
    EXPECT_EQ(half.screentoworld({1, 3}), (TPoint{32768, 98302}));
    v.offset = {7, -3};
    EXPECT_EQ(v.screentoworld({7 + 100, -3 + 50}), (TPoint{65535, 32768}));
    // Far screen positions neither overflow nor wrap.
    v.zoom = 20;
    EXPECT_EQ(v.screentoworld({2000000000, -2000000000}), (TPoint{INT32_MAX, INT32_MIN}));
    // Zones have strict bounds, the first one found wins.
    pMap_info a = zone_at_cell(0, 0), b = zone_at_cell(1, 0), overlap = zone_at_cell(0, 0);
    const std::vector<pMap_info*> zones{&a, &b, &overlap};
    for (auto [x, y, expected] : {std::tuple{0, 10, (pMap_info*)nullptr},
                                  {65535, 10, &a},
                                  {65536, 10, (pMap_info*)nullptr},
                                  {65537, 10, &b},
                                  {10, 0, (pMap_info*)nullptr},
                                  {10, 65535, &a}})
        EXPECT_EQ(zone_at(zones, {x, y}), expected) << x << "," << y;
    pMap_info low = zone_at_cell(2, 3);
    EXPECT_EQ(worldtozone(low, worldmaptoworld({5, 6}, low)), (TPoint{5, 6}));
    EXPECT_EQ(worldmaptoworld({5, 6}, low), (TPoint{131077, 196614}));
    EXPECT_EQ(zone_center(low), (TPoint{131072 + 32767, 196608 + 32767}));
}

TEST(MapView, ZoomsStayInRangeKeepThePointUnderThePixelAndFitRectanglesShowCategoriesByLevel) {
    TMapView v{100, {}, 820, 620};
    // 2 x 1 zones: fits at 400 (800 / 2) and 600, so 400 when forced.
    v.fit_rect({0, 0}, {131070, 65535}, kShowFitZoom);
    EXPECT_EQ(v.zoom, 400);
    EXPECT_EQ(v.worldtoscreen({65535, 32767}), v.view_center());
    // Already shown whole: the zoom stays, the view still moves.
    v.zoom = 300;
    v.fit_rect({65536, 0}, {131071, 65535}, 0);
    EXPECT_EQ(v.zoom, 300);
    EXPECT_EQ(v.worldtoscreen({65536 + 32767, 32767}), v.view_center());
    // Too big to show: fitted without the flag too; a tiny area is held at 3500.
    v.fit_rect({0, 0}, {655350, 65535}, 0);
    const int fitted = v.zoom;
    v.fit_rect({0, 0}, {100, 100}, kShowFitZoom);
    EXPECT_EQ(std::pair(fitted, v.zoom), std::pair(80, 3500));
    // A rectangle of no size keeps the zoom (no division by zero) and centres on it.
    v.zoom = 250;
    v.fit_rect({5000, 7000}, {5000, 7000}, kShowFitZoom);
    EXPECT_EQ(v.zoom, 250);
    EXPECT_EQ(v.worldtoscreen({5000, 7000}), v.view_center());
    // Categories and paths show by detail level.
    std::vector<std::unique_ptr<rCateg>> categories;
    categories.push_back(std::make_unique<rCateg>());
    categories.back()->detail_level = 3;
    rItemdata always;
    always.command = rCommand{coIsWp, 1, 0, 0, {}};
    std::vector<rwpitem> paths(2);
    paths[0].category = paths[1].category = categories[0].get();
    paths[1].item = &always;
    const TDetailLevels low = detail_levels(100, 200, 400, 600);
    update_visibility(low, true, categories, paths);
    EXPECT_FALSE(categories[0]->visible_on_map || paths[0].visible);
    EXPECT_TRUE(paths[1].visible); // value 1: shown at every zoom
    // Search-area mode: shown on the map at any zoom, labels still by zoom.
    update_visibility(low, false, categories, paths);
    EXPECT_TRUE(categories[0]->visible_on_map && !categories[0]->visible_at_zoom &&
                !categories[0]->label_at_zoom);
    // Wheel steps stay within the zoom range.
    for (auto [zoom, factor, expected] : {std::tuple{20, 0.9, 20},
                                          {21, 0.9, 20}, // Round(18.9) raised
                                          {3500, 1.1, 3500},
                                          {100, 1.1, 110},
                                          {105, 0.9, 94}}) { // 94.5 to even
        EXPECT_EQ((TMapView{zoom, {}, 800, 600}.zoom_step(factor)), expected)
            << zoom << " x " << factor;
    }
    // A zoom keeps the world point under its pixel.
    v = TMapView{137, {-250, 90}, 800, 600};
    const TPoint world = v.screentoworld({311, 207});
    for (int z : {151, 1024, 20, 3500}) {
        const TPoint before = v.worldtoscreen(world);
        v.set_zoom(world, z);
        const TPoint after = v.worldtoscreen(world);
        EXPECT_LE(std::max(std::abs(after.x - before.x), std::abs(after.y - before.y)), 1) << z;
    }
}

TEST(MapView, ScreenTestsCountEdgesAndDetailLevelsFollowTheThresholds) {
    const TMapView v{100, {}, 200, 100};
    EXPECT_TRUE(!v.on_screen({0, 50}) && v.on_screen({1, 50}) && !v.on_screen({200, 50}));
    EXPECT_TRUE(!v.inside_margin({20, 50}, 20) && v.inside_margin({21, 50}, 20));
    EXPECT_TRUE(v.rect_visible({200, 100, 300, 300}) && !v.rect_visible({201, 0, 300, 50}) &&
                v.rect_visible({-100, -100, 0, 0}));
    // Detail levels follow the thresholds: zoom, then shown and labelled for levels 1, 2, 3.
    const int levels[][4] = {
        {199, 0, 0, 0}, {200, 1, 0, 0}, {399, 1, 0, 0}, {400, 1, 1, 0}, {600, 1, 1, 1}};
    for (auto [zoom, s2, l2, s3] : levels) {
        const TDetailLevels d = detail_levels(zoom, 200, 400, 600);
        EXPECT_EQ(
            std::vector({d.shown[0], d.label[0], d.shown[1], d.label[1], d.shown[2], d.label[2]}),
            std::vector<bool>({true, true, s2 == 1, l2 == 1, s3 == 1, s3 == 1}))
            << zoom;
    }
}
