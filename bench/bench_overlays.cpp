// Overlays of the map: the region build of a realm of 200 zones with 255 region areas (in one
// continent, the worst case, and spread over four), the route build of a continent with 5,000
// routes of 10 waypoints, and the marker look-up of a hover over 20,000 painted markers.

#include "database/paths.h"
#include "database/regions.h"
#include "mainwindow/map_view.h"
#include "mainwindow/picking.h"
#include "offscreen_main.h"
#include "support/points_fixture.h"
#include "support/points_writer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

using support::PointsFixture;

// Zones in rows of 20 per continent; categories 1 (route), 2 (regions, pass 1), 3 (pass 2).
std::unique_ptr<PointsFixture> realm(int zones, int continents) {
    std::vector<support::ContinentSpec> cs;
    for (int c = 1; c <= continents; ++c)
        cs.push_back({int16_t(c), 0, uint16_t(c), "Continent " + std::to_string(c)});
    std::vector<support::ZoneSpec> zs;
    const int per_continent = zones / continents;
    for (int z = 0; z < zones; ++z) {
        const int k = z % per_continent;
        zs.push_back({.name = "Zone " + std::to_string(z),
                      .image_name = "z",
                      .zone_id = int16_t(z + 1),
                      .continent_id = int16_t(z / per_continent + 1),
                      .origin_x = (k % 20) * 65536,
                      .origin_y = -(k / 20) * 65536});
    }
    return std::make_unique<PointsFixture>(
        cs, zs,
        std::vector<support::CategorySpec>{
            {.name = "Routes", .id = 1, .type = 2},
            {.name = "Lands", .id = 2, .type = 2, .region_pass = 1},
            {.name = "Dangers", .id = 3, .type = 2, .region_pass = 2}});
}

void BM_BuildRegions(benchmark::State& state) {
    const int continents = int(state.range(0));
    auto f = realm(200, continents);
    std::mt19937 random(3);
    for (int i = 0; i < 255; ++i) {
        const int zone = int(random() % 200) + 1;
        const pMap_info& z = *f->map_data->zones[size_t(zone - 1)];
        // A polygon of 8 corners about one and a half zones wide around a point of the zone.
        const TPoint c = zone_center(z);
        std::vector<TPoint> corners;
        for (int k = 0; k < 8; ++k) {
            const double a = k * 0.785;
            corners.push_back({c.x + int(30000 * std::cos(a)) + int(random() % 2000),
                               c.y + int(30000 * std::sin(a)) + int(random() % 2000)});
        }
        rnew_node r =
            PointsFixture::point("Region " + std::to_string(i), zone, 2 + i % 2, 100, 100);
        r.link = support::area_link('S', corners);
        r.locked = true;
        f->add(r);
    }
    for (auto _ : state) {
        TRegionList list;
        build_regions(*f->map_data, list);
        benchmark::DoNotOptimize(list.data());
    }
}

void BM_BuildPaths(benchmark::State& state) {
    auto f = realm(30, 1);
    std::vector<pMap_info*> zones;
    for (const auto& z : f->map_data->zones)
        zones.push_back(z.get());
    std::mt19937 random(5);
    f->tree.begin_update();
    for (int i = 0; i < 5000; ++i) {
        std::vector<TPoint> waypoints;
        TPoint p{int(random() % 60000), int(random() % 60000)};
        for (int k = 0; k < 9; ++k) {
            waypoints.push_back(p);
            p = {p.x + int(random() % 4000) - 2000, p.y + int(random() % 4000) - 2000};
        }
        rnew_node r = PointsFixture::point("Route " + std::to_string(i), i % 30 + 1, 1, 3000, 3000);
        r.link = support::route_link("1051", waypoints);
        f->add(r);
    }
    f->tree.end_update();
    std::vector<rwpitem> paths;
    for (auto _ : state) {
        build_paths(zones, paths);
        benchmark::DoNotOptimize(paths.data());
    }
    state.counters["paths"] = double(paths.size());
}

void BM_HoverMarkers(benchmark::State& state) {
    std::vector<TreeNode> nodes(20000);
    TMarkerHits hits;
    std::mt19937 random(9);
    for (TreeNode& n : nodes)
        hits.push_back({int16_t(random() % 1920), int16_t(random() % 1080), &n});
    int x = 0;
    for (auto _ : state) {
        x = (x + 37) % 1920;
        benchmark::DoNotOptimize(marker_at(hits, x, 540));
    }
}

BENCHMARK(BM_BuildRegions)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildPaths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoverMarkers)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return run_offscreen_benchmarks(argc, argv);
}
