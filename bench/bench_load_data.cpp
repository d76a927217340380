// The whole data load of a database of 100,000 points into the main window, and the memory the
// loaded points take, beside the bare inflate of the points section.

#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "mainwindow/widgets/map.h"
#include "offscreen_main.h"
#include "process_memory.h"
#include "support/scripted_messages.h"
#include "synthetic_database.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

void BM_LoadData(benchmark::State& state) {
    ScriptedMessages boxes;
    auto window = support::synthetic_window();
    TForm4& form = *window;
    for (auto _ : state) {
        state.PauseTiming();
        form.unload_data();
        form.common_data.reset();
        state.ResumeTiming();
        form.load_data();
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_LoadData)->Unit(benchmark::kMillisecond)->Iterations(5);

// The memory held by the loaded data: resident size after the first load less before it.
void BM_LoadedMemory(benchmark::State& state) {
    ScriptedMessages boxes;
    for (auto _ : state) {
        auto form = support::synthetic_window();
        malloc_trim(0);
        const double before = status_mb("VmRSS:");
        form->load_data();
        malloc_trim(0);
        state.counters["loaded_MB"] = status_mb("VmRSS:") - before;
    }
}
BENCHMARK(BM_LoadedMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_InflatePoints(benchmark::State& state) {
    support::synthetic_window();
    const std::string master = database_path + "Synth/master.loc";
    std::string stream;
    for (auto _ : state) {
        if (!load_section(stream, master, 9))
            state.SkipWithError("no points section");
        benchmark::DoNotOptimize(stream.data());
    }
}
BENCHMARK(BM_InflatePoints)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return run_offscreen_benchmarks(argc, argv);
}
