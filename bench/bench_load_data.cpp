// The whole data load of a database of 100,000 points into the main window, and the memory the
// loaded points take, beside the bare inflate of the points section; the same load with an
// additions file of some size (someone else's, or garbage), its time and the peak memory.

#include "database/additions_file.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/map.h"
#include "offscreen_main.h"
#include "process_memory.h"
#include "support/additions_writer.h"
#include "support/scripted_messages.h"
#include "synthetic_database.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

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

// An additions file of about `bytes` bytes: new points over the synthetic database's zones and
// categories, with its names, comments and links.
std::string large_additions_file(size_t bytes) {
    std::string text = support::additions_header("Bench") + "\r\n#v1.06\r\n";
    for (unsigned seed = 1; text.size() < bytes; ++seed)
        for (const support::PointSpec& p :
             support::synthetic_points({.points = 20000, .seed = seed})) {
            if (text.size() >= bytes)
                break;
            text += support::addition_line({p.name, p.zone_id, p.category_id, p.x, p.y, p.level_min,
                                            p.level_max, p.flags, 0, p.link, p.comment}) +
                    "\r\n";
        }
    return text;
}

// The data load with an additions file of range(0) MB (none for 0): the time, the peak memory
// above the process before the load (peak_MB) and the process's peak (process_peak_MB).
void BM_LoadLargeAdditions(benchmark::State& state) {
    ScriptedMessages boxes;
    auto window = support::synthetic_window();
    TForm4& form = *window;
    rPreference.PSEU = "Bench";
    const std::string text = large_additions_file(size_t(state.range(0)) << 20);
    const std::string file = ajouts_path + "Vev_ajouts_Synth.txt";
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        form.unload_data();
        form.common_data.reset();
        for (const QString& name : QDir(to_path(ajouts_path)).entryList(QDir::Files))
            QFile::remove(to_path(ajouts_path) + name);
        if (state.range(0) != 0)
            write_file_atomic(file, text);
        const double base = reset_peak();
        state.ResumeTiming();
        form.load_data();
        peak = std::max(peak, status_mb("VmHWM:") - base);
    }
    state.counters["peak_MB"] = peak;
    state.counters["process_peak_MB"] = status_mb("VmHWM:");
    state.counters["file_MB"] = double(text.size()) / (1 << 20);
    state.counters["points"] = double(form.points_tree.size());
}
BENCHMARK(BM_LoadLargeAdditions)
    ->Arg(0)
    ->Arg(8)
    ->Arg(31) // just within the limit of 32 MB
    ->Arg(78)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

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
