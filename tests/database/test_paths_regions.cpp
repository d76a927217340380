// Routes, areas and comment links decoded from points, and regions rasterised into zone grids:
// hand-worked strings and polygons, an independent fill by Pillow, the overlap and cap rules.

#include "database/paths.h"
#include "database/regions.h"
#include "foundation/func_color.h"
#include "support/form4_points.h"
#include "support/points_writer.h"

#include <QProcess>

#include <cmath>
#include <random>

using namespace support;

namespace {

// Zones 10 and 11 side by side (Sylvanie) and zone 30 (Levant). Categories: 1 no region, 2 region
// pass 1, 3 region pass 2, 4 region pass 3.
struct Realm {
    PointsFixture f{two_continents(),
                    two_continent_zones(),
                    {{.name = "Routes", .id = 1, .type = 2, .colour = 0x0000FF},
                     {.name = "Terres", .id = 2, .type = 2, .region_pass = 1},
                     {.name = "Dangers", .id = 3, .type = 1, .region_pass = 2},
                     {.name = "Autres", .id = 4, .type = 2, .region_pass = 3}}};
    TreeNode* add(const std::string& name, int zone, int category, const std::string& link,
                  bool locked = false) {
        rnew_node r = PointsFixture::point(name, zone, category, 100, 200);
        std::tie(r.link, r.locked) = std::tie(link, locked);
        return f.add(r);
    }
    pMap_info& zone(int id) const { return *node_zone(zone_node(*f.map_data, id)); }
};

// A rectangle of world corners, its sides cut into steps that fit the string's fields.
std::string square(char letter, int x0, int y0, int x1, int y1) {
    const TPoint ring[] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
    std::vector<TPoint> corners;
    for (int i = 0; i < 4; ++i) {
        const TPoint from = ring[i], to = ring[i + 1];
        const int n = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y)) / 30000 + 1;
        for (int k = 0; k < n; ++k)
            corners.push_back({from.x + (to.x - from.x) * k / n, from.y + (to.y - from.y) * k / n});
    }
    return area_link(letter, corners);
}

// The cells of a polygon filled into a size x size raster, as text rows.
std::vector<std::string> filled(const std::vector<TPoint>& polygon, int size) {
    std::vector<uint8_t> raster(size_t(size * size));
    fill_polygon(raster, size, polygon, 1);
    std::vector<std::string> rows;
    for (int y = 0; y < size; ++y) {
        rows.emplace_back();
        for (int x = 0; x < size; ++x)
            rows.back() += raster[size_t(y * size + x)] ? '#' : '.';
    }
    return rows;
}

double boundary_distance(const std::vector<TPoint>& polygon, double x, double y) {
    double best = 1e9;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const TPoint a = polygon[i], b = polygon[(i + 1) % polygon.size()];
        const double dx = b.x - a.x, dy = b.y - a.y, l = dx * dx + dy * dy;
        const double t = l == 0 ? 0 : std::clamp(((x - a.x) * dx + (y - a.y) * dy) / l, 0.0, 1.0);
        best = std::min(best, std::hypot(x - a.x - t * dx, y - a.y - t * dy));
    }
    return best;
}

} // namespace

TEST(Paths, DecodesRoutesAreasTheirBoundsAndCommentLinkNames) {
    Realm r;
    // Options 1051, first waypoint (0x10, 0x20), one step (1, -1).
    const std::string example = "V_1051001000200001FFFF";
    r.add("example", 11, 1, example);
    // 23 characters, no waypoint, a letter that is no hexadecimal digit.
    for (const std::string& bad :
         {example + "0", std::string("V_1051"), example.substr(0, 17) + "G" + example.substr(18)})
        r.add("bad", 11, 1, bad);
    r.add("short", 11, 1, example.substr(0, 14)); // the first waypoint and no step
    r.f.tree.set_check_state(r.add("unchecked", 11, 1, example), TCheckState::Unchecked);
    TreeNode* last = r.add("last", 11, 1, example);
    std::vector<rwpitem> paths;
    build_paths({&r.zone(10), &r.zone(11)}, paths);
    ASSERT_EQ(paths.size(), 3u); // the rebuild goes on past every string it cannot decode
    EXPECT_EQ(paths[1].points, (std::vector<TPoint>{{65536 + 100, 200}, {65536 + 16, 32}}));
    EXPECT_EQ(paths[2].node, last);
    // The point, zone-local (16, 32), then one step right and one down (dy -1 subtracted).
    EXPECT_EQ(paths[0].points,
              (std::vector<TPoint>{{65536 + 100, 200}, {65536 + 16, 32}, {65536 + 17, 33}}));
    EXPECT_EQ(paths[0].first_colour, level_alpha(5) | 0x00FE0000u);
    // Areas and their bounds.
    rwpitem area;
    area.min_x = 7;
    // One step left from x -1: X0 FFFFFFFF is a signed 32-bit value.
    TreeNode* s = r.add("s", 10, 1, "S_FFFFFFFF00000010FFFF0002");
    ASSERT_TRUE(build_area(*s->data, area));
    EXPECT_EQ(area.points, (std::vector<TPoint>{{-1, 16}, {-2, 14}}));
    EXPECT_EQ(std::tuple(area.first_colour, area.second_colour),
              std::tuple(0x33FE0000u, 0xDDFE0000u));
    EXPECT_EQ((std::array{area.min_x, area.min_y, area.max_x, area.max_y}),
              (std::array{-2, 14, -1, 16}));
    // No step, or a bad digit: no area, the record untouched.
    for (const char* bad : {"S_FFFFFFFF00000010", "S_FFFFFFFF0000001XFFFF0002"})
        EXPECT_FALSE(build_area(*r.add("bad", 10, 1, bad)->data, area));
    EXPECT_EQ(area.points.size(), 2u);
    // A single point leaves the box as it was.
    area.points = {{500, 500}};
    area_bounds(area);
    EXPECT_EQ(area.max_x, -1);
    // The names of a comment's links.
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {" {Inn}{Inn}", {"Inn", "Inn"}},
        {"to {Inn", {}},
        {"{a{Inn} and {}", {"Inn"}},
        {"}x{} a} {Port}", {"Port"}},
    };
    for (const auto& [comment, names] : cases)
        EXPECT_EQ(comment_link_names(comment), names) << comment;
}

TEST(Regions, FillCountsCentresOnLeftAndTopEdgesOnlyAndCornersAtTheEdgeOfTheRangeNone) {
    // The square's corners and the triangle's slope pass exactly through sample points.
    EXPECT_EQ(
        filled({{1, 1}, {4, 1}, {4, 4}, {1, 4}}, 6),
        (std::vector<std::string>{"......", ".###..", ".###..", ".###..", "......", "......"}));
    EXPECT_EQ(filled({{0, 4}, {4, 0}, {0, 0}}, 5),
              (std::vector<std::string>{"####.", "###..", "##...", "#....", "....."}));
    // A five-pointed star: non-zero winding fills its centre (even-odd would leave 4..6 empty).
    EXPECT_EQ(filled({{5, 0}, {8, 9}, {0, 3}, {10, 3}, {2, 9}}, 11)[5], "...#####...");
    // The half-cell shift of a corner at the smallest coordinate must not overflow.
    Realm r;
    r.add("far", 10, 2, "S_80000000000000000011640000DCD8DC", true);
    TRegionList list;
    build_regions(*r.f.map_data, list);
    ASSERT_EQ(list.size(), 1u);
    const auto& grid = r.zone(10).region_grid;
    EXPECT_EQ(std::count(grid.begin(), grid.end(), 0), 48 * 48);
}

TEST(Regions, FillAgreesWithPillowAwayFromEdges) {
    // Simple polygons (corners sorted by angle about a centre), corners partly off the raster.
    std::mt19937 random(7);
    std::vector<std::vector<TPoint>> polygons;
    QByteArray input;
    for (int i = 0; i < 60; ++i) {
        const int cx = int(random() % 40) + 5, cy = int(random() % 40) + 5;
        std::vector<double> angles(random() % 8 + 3);
        for (double& a : angles)
            a = double(random() % 6283) / 1000;
        std::sort(angles.begin(), angles.end());
        polygons.emplace_back();
        for (double a : angles) {
            const double radius = double(random() % 28 + 2);
            polygons.back().push_back({cx + int(std::lround(radius * std::cos(a))),
                                       cy + int(std::lround(radius * std::sin(a)))});
            input += QByteArray::number(polygons.back().back().x) + ',' +
                     QByteArray::number(polygons.back().back().y) + ' ';
        }
        input += '\n';
    }
    QProcess py;
    py.start("/usr/bin/python3", {QString(KARVELO_TEST_PEERS) + "/polygon_fill.py", "49"});
    py.write(input);
    py.closeWriteChannel();
    ASSERT_TRUE(py.waitForFinished(60000));
    const QList<QByteArray> lines = py.readAllStandardOutput().split('\n');
    ASSERT_GE(lines.size(), qsizetype(polygons.size()));
    // Pillow counts every centre on the outline, and some beside it: cells within a pixel of an
    // edge may differ, all others agree.
    int compared = 0;
    for (size_t i = 0; i < polygons.size(); ++i) {
        const std::vector<std::string> ours = filled(polygons[i], 49);
        for (int y = 0; y < 49; ++y)
            for (int x = 0; x < 49; ++x) {
                if (boundary_distance(polygons[i], x, y) <= 1.0)
                    continue;
                ++compared;
                ASSERT_EQ(ours[size_t(y)][size_t(x)] == '#', lines[qsizetype(i)][y * 49 + x] == '1')
                    << "polygon " << i << " cell " << x << "," << y;
            }
    }
    EXPECT_GT(compared, 49 * 49 * 30);
}

TEST(Regions, BuildOrderOverlapAndLookUp) {
    Realm r;
    // Cell 0..3 each way of zone 10: after the shift the corners fall on pixels 1 and 5.
    const std::string small = square('S', 682, 682, 682 + 5461, 682 + 5461);
    const std::string wide = square('I', 0, 0, 65535 * 2, 65535);
    TreeNode* danger = r.add("danger", 10, 3, small, true); // pass 2, listed after pass 1
    TreeNode* land = r.add("land", 11, 2, wide, true);
    r.add("unlocked", 10, 2, wide);
    r.add("pass 3", 10, 4, wide, true);
    r.add("no region category", 10, 1, wide, true);
    r.add("no area", 10, 2, "S_0000000100000002", true);
    TRegionList list;
    build_regions(*r.f.map_data, list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(std::tuple(list[0]->node, list[1]->node), std::tuple(land, danger));
    EXPECT_FALSE(list[0]->area); // released after the build
    // The pass-2 entry covers the pass-1 one; left and top edges count, right and bottom do not.
    const pMap_info& val = r.zone(10);
    EXPECT_EQ(region_at(list, &val, {0, 0}), list[1].get());
    EXPECT_EQ(region_at(list, &val, {5459, 5459}), list[1].get());
    EXPECT_EQ(region_at(list, &val, {5460, 100}), list[0].get());
    EXPECT_EQ(region_at(list, &r.zone(11), {65535, 65535}), list[0].get()); // cell 47, capped
    EXPECT_EQ(region_at(list, &r.zone(30), {100, 100}), nullptr);           // another continent
    EXPECT_TRUE(r.zone(30).region_grid.empty());
}

TEST(Regions, CapAt255AndRowOrder) {
    Realm r;
    for (int i = 0; i < 300; ++i)
        r.add("r" + std::to_string(i), 10, 2,
              square('M', 0, 1365 * (i % 48), 65535, 1365 * (i % 48) + 1400), true);
    TRegionList list;
    build_regions(*r.f.map_data, list);
    ASSERT_EQ(list.size(), 255u);
    const auto& grid = r.zone(10).region_grid;
    EXPECT_EQ(*std::max_element(grid.begin(), grid.end()), 255);
    // Column 1 ascending lists the category with the highest index first; 0 goes by name.
    rRegion low;
    low.node_data = list[0]->node_data;
    rRegion high;
    high.node_data = r.add("Z", 10, 3, "")->data.get();
    EXPECT_TRUE(compare_region_rows(high, low, 0) > 0 && compare_region_rows(high, low, 1) < 0);
}
