#include "offscreen_main.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <vector>

namespace {

std::vector<std::function<void()>>& releases() {
    static std::vector<std::function<void()>> list;
    return list;
}

} // namespace

void release_before_exit(std::function<void()> release) {
    releases().push_back(std::move(release));
}

int run_offscreen_benchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (auto& release : releases())
        release();
    releases().clear();
    return 0;
}
