// The database list: the preferences dialog shown over 256 to 20,000 databases (its time grows
// with the count, never with its square), and the folder scan of a database folder holding
// 20,000 database subfolders, of which it lists its limit.

#include "database/database_list.h"
#include "foundation/func_karvo.h"
#include "mainwindow/widgets/legendeliste.h"
#include "offscreen_main.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

namespace {

void BM_PreferencesWithDatabases(benchmark::State& state) {
    database_list.clear();
    for (int64_t i = 0; i < state.range(0); ++i) {
        database_list.push_back(std::make_unique<rdbavailable>());
        rdbavailable& db = *database_list.back();
        db.folder = "Base " + std::to_string(i);
        db.display_description = "A database\rof the benchmark";
        db.version_ok = i % 10 != 0;
        db.is_current = i == 1;
    }
    int rows = 0;
    for (auto _ : state) {
        TForm3 dialog(nullptr, nullptr, nullptr);
        dialog.FormShow();
        dialog.show();
        rows = dialog.dbTree->topLevelItemCount();
        dialog.dbTree->topLevelItem(rows - 1)->setCheckState(0, Qt::Checked);
    }
    state.counters["rows"] = rows;
    database_list.clear();
}
BENCHMARK(BM_PreferencesWithDatabases)
    ->Arg(256)
    ->Arg(2000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond);

void BM_ScanOfTwentyThousandFolders(benchmark::State& state) {
    TempDir dir;
    const std::string master = support::ContainerWriter().version(db_version).bytes();
    const std::string url = support::scrambled_list(support::url_lines());
    for (int i = 0; i < 20000; ++i) {
        const std::string folder = dir.file("db" + std::to_string(i) + "/");
        QDir().mkpath(to_path(folder));
        support::write_raw(folder + "master.loc", master);
        support::write_raw(folder + "url.bin", url);
    }
    TScanReport report;
    for (auto _ : state) {
        TDatabaseList list;
        report = TScanReport{};
        scan_databases(dir.path(), list, &report);
        benchmark::DoNotOptimize(list.size());
    }
    state.counters["left_out"] = double(report.not_listed);
}
BENCHMARK(BM_ScanOfTwentyThousandFolders)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return run_offscreen_benchmarks(argc, argv);
}
