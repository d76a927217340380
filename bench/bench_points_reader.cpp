// Points database reader: 100,000 points with realistic names, comments and link strings, read
// from the inflated section into a callback that keeps every node request, beside the inflate
// time of the compressed section.

#include "database/points_reader.h"
#include "foundation/func_karvo.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"
#include "synthetic_database.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int point_count = 100000;

const std::string& section() {
    static const std::string bytes = support::synthetic_points_section({});
    return bytes;
}
void BM_ReadIntoStoredNodes(benchmark::State& state) {
    const std::string& bytes = section();
    std::vector<rnew_node> nodes;
    nodes.reserve(point_count);
    PointsReaderSink sink;
    sink.add_node = [&](rnew_node& r) { nodes.push_back(r); };
    for (auto _ : state) {
        nodes.clear();
        read_database(bytes, sink);
        benchmark::DoNotOptimize(nodes.data());
    }
    state.SetItemsProcessed(state.iterations() * point_count);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    state.counters["section_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ReadIntoStoredNodes)->Unit(benchmark::kMillisecond);

void BM_ReadOnly(benchmark::State& state) {
    const std::string& bytes = section();
    size_t count = 0;
    PointsReaderSink sink;
    sink.add_node = [&](rnew_node& r) { count += r.name.size(); };
    for (auto _ : state) {
        read_database(bytes, sink);
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(state.iterations() * point_count);
}
BENCHMARK(BM_ReadOnly)->Unit(benchmark::kMillisecond);

void BM_InflateSection9(benchmark::State& state) {
    TempDir dir;
    const std::string path = dir.file("master.loc");
    support::ContainerWriter().section(9, section()).write(path);
    std::string stream;
    for (auto _ : state) {
        stream.clear();
        if (!load_section(stream, path, 9))
            state.SkipWithError("section 9 did not load");
        benchmark::DoNotOptimize(stream.data());
    }
    state.SetItemsProcessed(state.iterations() * point_count);
    state.counters["compressed_bytes"] = static_cast<double>(file_size(path));
}
BENCHMARK(BM_InflateSection9)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
