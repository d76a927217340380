// Points database reader: 100,000 points with realistic names, comments and link strings, read
// from the inflated section into a callback that keeps every node request, beside the inflate
// time of the compressed section.

#include "database/points_reader.h"
#include "foundation/func_karvo.h"
#include "support/points_writer.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int point_count = 100000;

const char* const words[] = {"Forge",    "Auberge",    "Tour",         "Camp",   "Ma\xEEtre",
                             "d'armes",  "Griffon",    "Vendeur",      "Grotte", "Mine",
                             "de",       "fer",        "Cuir",         "Pierre", "Maison",
                             "Marchand", "ancienne",   "du",           "Nord",   "Sud",
                             "Temple",   "Herboriste", "Cimeti\xE8re", "Port",   "Ferme"};

std::string phrase(std::mt19937& random, int min_words, int max_words) {
    std::string out;
    int n =
        min_words + static_cast<int>(random() % static_cast<unsigned>(max_words - min_words + 1));
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            out += ' ';
        out += words[random() % std::size(words)];
    }
    return out;
}

std::vector<TPoint> walk(std::mt19937& random, int steps, int spread) {
    std::vector<TPoint> points{
        {static_cast<int32_t>(random() % 60000), static_cast<int32_t>(random() % 60000)}};
    for (int i = 0; i < steps; ++i) {
        TPoint last = points.back();
        points.push_back({last.x + static_cast<int32_t>(random() % (2 * spread)) - spread,
                          last.y + static_cast<int32_t>(random() % (2 * spread)) - spread});
    }
    return points;
}

// One in five points carries a route, one in ten an area, one in twenty a bridge.
std::string link(std::mt19937& random, int index) {
    switch (index % 20) {
    case 0:
    case 5:
    case 10:
    case 15:
        return support::route_link("1051", walk(random, 3 + static_cast<int>(random() % 12), 2000));
    case 3:
    case 13:
        return support::area_link('S', walk(random, 4 + static_cast<int>(random() % 8), 3000));
    case 7:
        return support::bridge_link(false, random(), random() % 2 ? random() : 0);
    default:
        return {};
    }
}

const std::string& section() {
    static const std::string bytes = [] {
        std::mt19937 random(42);
        std::vector<support::PointSpec> points;
        points.reserve(point_count);
        for (int i = 0; i < point_count; ++i) {
            support::PointSpec p;
            p.name = phrase(random, 1, 4);
            p.zone_id = static_cast<uint16_t>(random() % 60);
            p.category_id = static_cast<uint8_t>(random() % 40);
            p.x = static_cast<uint16_t>(random());
            p.y = static_cast<uint16_t>(random());
            p.level_min = static_cast<uint16_t>(random() % 60);
            p.level_max = static_cast<uint16_t>(p.level_min + random() % 10);
            p.flags = support::flag_set({1 + static_cast<int>(random() % 128)});
            p.master_id = static_cast<uint32_t>(i + 1);
            if (i % 3 != 0)
                p.comment = phrase(random, 3, 12) + "|" + phrase(random, 2, 8);
            p.link = link(random, i);
            p.locked = i % 50 == 0;
            points.push_back(std::move(p));
        }
        support::PointsHeader h;
        h.value1 = 1;
        h.value2 = 7;
        h.date = support::date_time_value(2026, 12, 6, 12);
        return support::points_section(points, h);
    }();
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
