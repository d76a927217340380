// The points tree with 100,000 points over 4 continents, 40 zones and 20 categories: adding the
// points through the addnode path in update mode (with the model listening), a full walk in
// display order, and unchecking a whole continent.

#include "database/points_tree.h"
#include "database/widgets/points_tree_model.h"
#include "support/points_fixture.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kPoints = 100000;

std::unique_ptr<support::PointsFixture> make_world() {
    std::vector<support::ContinentSpec> continents;
    std::vector<support::ZoneSpec> zones;
    std::vector<support::CategorySpec> categories;
    for (int c = 1; c <= 4; ++c)
        continents.push_back({int16_t(c), 0, 0, "Continent " + std::to_string(c)});
    for (int z = 0; z < 40; ++z)
        zones.push_back({"Zone " + std::to_string(z), "z", int16_t(z), int16_t(z % 4 + 1)});
    for (int k = 0; k < 20; ++k)
        categories.push_back({"Category " + std::to_string(k), uint8_t(k), 0, uint8_t(k % 4 + 1)});
    return std::make_unique<support::PointsFixture>(continents, zones, categories,
                                                    std::vector<support::PropertySpec>{}, false);
}

std::vector<rnew_node> make_points() {
    std::vector<rnew_node> points;
    points.reserve(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        rnew_node r = support::PointsFixture::point("Point number " + std::to_string(i), i % 40,
                                                    (i / 40) % 20, i % 65536, i / 2);
        r.comment = "A comment|on two lines";
        if (i % 50 == 0)
            r.link = "V_1051000A000B";
        points.push_back(std::move(r));
    }
    return points;
}

void fill(support::PointsFixture& f, const std::vector<rnew_node>& points) {
    f.tree.begin_update();
    for (const rnew_node& r : points)
        f.add(r);
    f.tree.end_update();
}

void BM_AddPoints(benchmark::State& state) {
    const std::vector<rnew_node> points = make_points();
    for (auto _ : state) {
        state.PauseTiming();
        auto f = make_world();
        build_zone_tree(f->tree, *f->map_data, *f->common_data);
        TPointsTreeModel model(f->tree);
        state.ResumeTiming();
        fill(*f, points);
        benchmark::DoNotOptimize(f->tree.size());
        state.PauseTiming();
        f.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_AddPoints)->Unit(benchmark::kMillisecond);

void BM_WalkDisplayOrder(benchmark::State& state) {
    auto f = make_world();
    build_zone_tree(f->tree, *f->map_data, *f->common_data);
    fill(*f, make_points());
    for (auto _ : state) {
        size_t points = 0;
        for (TreeNode* n = f->tree.first(); n; n = TPointsTree::next(n))
            if (n->level == kLevelPoint && n->item()->x != 0xFFFF)
                ++points;
        benchmark::DoNotOptimize(points);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(f->tree.size()));
}
BENCHMARK(BM_WalkDisplayOrder)->Unit(benchmark::kMillisecond);

void BM_CheckContinent(benchmark::State& state) {
    auto f = make_world();
    build_zone_tree(f->tree, *f->map_data, *f->common_data);
    fill(*f, make_points());
    TPointsTreeModel model(f->tree);
    TreeNode* continent = f->tree.first();
    bool on = false;
    for (auto _ : state) {
        f->tree.set_check_state(continent, on ? TCheckState::Checked : TCheckState::Unchecked);
        on = !on;
    }
}
BENCHMARK(BM_CheckContinent)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
