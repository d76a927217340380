// The whole data load of a database of 100,000 points into the main window, and the memory the
// loaded points take, beside the bare inflate of the points section; the same load with an
// additions file of some size (someone else's, or garbage), its time and the peak memory; the
// load with an additions file that cannot be read, and with a copy a signal left.

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

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <malloc.h>
#include <sys/stat.h>

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

// The synthetic window with a nickname, and its additions file.
struct AdditionsBench {
    AdditionsBench() { rPreference.PSEU = "Bench"; }
    ScriptedMessages boxes;
    std::unique_ptr<TForm4> window = support::synthetic_window();
    std::string file = ajouts_path + "Vev_ajouts_Synth.txt";
};

// Unloads the data, and the additions folder is emptied for the next load.
void unload_without_additions(TForm4& form) {
    form.unload_data();
    form.common_data.reset();
    QDir(to_path(ajouts_path)).removeRecursively();
    QDir().mkpath(to_path(ajouts_path));
}

// The data load with an additions file of range(0) MB (none for 0): the time, the peak memory
// above the process before the load (peak_MB) and the process's peak (process_peak_MB).
void BM_LoadLargeAdditions(benchmark::State& state) {
    AdditionsBench bench;
    TForm4& form = *bench.window;
    const std::string text = large_additions_file(size_t(state.range(0)) << 20);
    const std::string& file = bench.file;
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        unload_without_additions(form);
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

// The data load when the additions file cannot be read: a folder (0), a FIFO (1) or a file one
// byte past its limit (2, sparse) in its place. None of them may hold the load.
void BM_LoadUnreadableAdditions(benchmark::State& state) {
    AdditionsBench bench;
    TForm4& form = *bench.window;
    const std::string& file = bench.file;
    for (auto _ : state) {
        state.PauseTiming();
        unload_without_additions(form);
        if (state.range(0) == 0) {
            QDir().mkpath(to_path(file));
        } else if (state.range(0) == 1) {
            mkfifo(file.c_str(), 0600);
        } else {
            QFile big(to_path(file));
            big.open(QIODevice::WriteOnly);
            big.write("#v001\r\n");
            big.resize(qint64(additions_file_limit) + 1);
        }
        state.ResumeTiming();
        form.load_data();
    }
}
BENCHMARK(BM_LoadUnreadableAdditions)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The data load with an additions file of range(0) MB and a copy a signal left of it with one
// point more: the copy stands for the file, which is read twice more, to tell so and for the
// lines the copy lacks.
void BM_LoadRecoveredCopy(benchmark::State& state) {
    AdditionsBench bench;
    TForm4& form = *bench.window;
    const std::string text = large_additions_file(size_t(state.range(0)) << 20);
    const std::string& file = bench.file;
    // The marks a signal's copy carries: this installation, and the state it was made over.
    const size_t body = text.find("\r\n", text.find("\r\n") + 2) + 2;
    const std::string copy =
        text.substr(0, body) + installation_line() + "\r\n#base " +
        QCryptographicHash::hash(QByteArray::fromStdString(text), QCryptographicHash::Md5)
            .toHex()
            .toStdString() +
        "\r\n" + text.substr(body) + "Extra||1|1|1|1|0|0|||||||||\r\n";
    for (auto _ : state) {
        state.PauseTiming();
        unload_without_additions(form);
        write_file_atomic(file, text);
        write_file_atomic(file + ".unsaved", copy);
        const double base = reset_peak();
        state.ResumeTiming();
        form.load_data();
        state.counters["peak_MB"] = status_mb("VmHWM:") - base;
    }
}
BENCHMARK(BM_LoadRecoveredCopy)->Arg(8)->Arg(31)->Unit(benchmark::kMillisecond)->Iterations(1);

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
