// The search over the 100,000 points of the synthetic database, each run with the result list
// filled and sorted by relevance as the search command does: a one-word name search, a search
// whose words no name holds (every comment is folded and searched), and a search with every
// criterion but the words on; then the list alone filled and sorted for 10,000 results.

#include "editing/search_engine.h"
#include "editing/widgets/result_model.h"
#include "foundation/Data.h"
#include "mainwindow/widgets/map.h"
#include "offscreen_main.h"
#include "support/scripted_messages.h"
#include "synthetic_database.h"

#include <benchmark/benchmark.h>

namespace {

TForm4& loaded_window() {
    static ScriptedMessages boxes;
    static std::unique_ptr<TForm4> form = [] {
        auto f = support::synthetic_window();
        f->load_data();
        release_before_exit([] { form.reset(); });
        return f;
    }();
    return *form;
}

void run(benchmark::State& state, const TSearchArea& area) {
    TForm4& form = loaded_window();
    TSearchArea search = area;
    for (auto _ : state) {
        form.run_search(search);
        form.sort_results(kResultMarks);
    }
    state.counters["found"] = double(form.result_model->rows().size());
    form.clear_results();
}

void BM_SearchOneNameWord(benchmark::State& state) {
    TSearchArea area;
    area.criteria = kSearchNames;
    area.key = "FORGE";
    run(state, area);
}
BENCHMARK(BM_SearchOneNameWord)->Unit(benchmark::kMillisecond);

void BM_SearchFallingBackToComments(benchmark::State& state) {
    TSearchArea area;
    area.criteria = kSearchNames | kSearchComments;
    area.key = "CIMETIERE DU NORD";
    run(state, area);
}
BENCHMARK(BM_SearchFallingBackToComments)->Unit(benchmark::kMillisecond);

void BM_SearchEveryOtherCriterion(benchmark::State& state) {
    TForm4& form = loaded_window();
    TSearchArea area;
    area.criteria = 0x0FFC;
    area.key = "0";
    area.command_kind = coIsWp;
    area.level_from = 1;
    area.level_to = 99;
    area.zone_classes.set(1);
    for (const auto& c : form.common_data->categories)
        area.categories.push_back(c.get());
    run(state, area);
}
BENCHMARK(BM_SearchEveryOtherCriterion)->Unit(benchmark::kMillisecond);

void BM_FillAndSortTenThousandRows(benchmark::State& state) {
    TForm4& form = loaded_window();
    std::vector<rSearchResult> rows;
    int32_t score = 0;
    for (TreeNode* n = form.points_tree.first(); n && rows.size() < 10000; n = TPointsTree::next(n))
        if (n->level == kLevelPoint)
            rows.push_back({n, (score += 7919) % 900});
    for (auto _ : state) {
        form.result_model->set_rows(rows);
        form.sort_results(kResultMarks);
    }
    form.clear_results();
}
BENCHMARK(BM_FillAndSortTenThousandRows)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return run_offscreen_benchmarks(argc, argv);
}
