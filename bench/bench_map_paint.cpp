// The map paint of one continent of 30 zones (6 x 5) with 20,000 checked points, all on screen,
// labels on, into a 1920 x 1080 buffer: the whole paint, a drag step (offset moved, painted
// again) and the zone tiles alone, which are the floor.

#include "database/points_tree.h"
#include "mainwindow/map_paint.h"
#include "offscreen_main.h"
#include "support/points_fixture.h"

#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

constexpr int kPoints = 20000;
constexpr int kColumns = 6;
constexpr int kRows = 5;

struct Continent {
    std::unique_ptr<support::PointsFixture> f;
    std::vector<pMap_info*> zones;
    TMapScene scene;
    QImage buffer{1920, 1080, QImage::Format_ARGB32_Premultiplied};
    TMarkerHits hits;
};

Continent& continent() {
    static Continent c = [] {
        Continent c;
        std::vector<support::ZoneSpec> zones;
        for (int z = 0; z < kColumns * kRows; ++z)
            zones.push_back({.name = "Zone " + std::to_string(z),
                             .image_name = "z",
                             .zone_id = int16_t(z + 1),
                             .continent_id = 1,
                             .origin_x = (z % kColumns) * 65536,
                             .origin_y = -(z / kColumns) * 65536});
        std::vector<support::CategorySpec> categories;
        for (int k = 1; k <= 10; ++k)
            categories.push_back({.name = "Category " + std::to_string(k),
                                  .id = uint8_t(k),
                                  .type = uint8_t(k % 4 + 1),
                                  .colour = 0x3070E0 + k * 0x101010,
                                  .style = uint8_t(k % 2)});
        c.f = std::make_unique<support::PointsFixture>(
            std::vector<support::ContinentSpec>{{1, 0, 1, "Continent"}}, zones, categories);
        QImage icon(11, 11, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        QPainter p(&icon);
        p.setBrush(QColor(0xE8, 0xC5, 0x47));
        p.drawEllipse(1, 1, 8, 8);
        p.end();
        QImage tile(256, 256, QImage::Format_RGB32);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                tile.setPixel(x, y, qRgb(80 + x / 4, 120 + y / 4, 60 + (x ^ y) / 8));
        for (const auto& k : c.f->common_data->categories) {
            k->icon = icon;
            k->visible_on_map = k->visible_at_zoom = k->label_at_zoom = true;
        }
        c.f->tree.begin_update();
        for (int i = 0; i < kPoints; ++i) {
            rnew_node r = support::PointsFixture::point(
                "Point number " + std::to_string(i), i % (kColumns * kRows) + 1, i % 10 + 1,
                (i * 7919) % 62000 + 1500, (i * 104729) % 62000 + 1500);
            c.f->add(r);
        }
        c.f->tree.end_update();
        for (const auto& z : c.f->map_data->zones) {
            z->normal_image = tile;
            c.zones.push_back(z.get());
        }
        c.scene.view = {216, {312, 0}, 1920, 1080};
        c.scene.show_continent = true;
        c.scene.zones = &c.zones;
        c.scene.labels = true;
        return c;
    }();
    return c;
}

void BM_PaintMap(benchmark::State& state) {
    Continent& c = continent();
    for (auto _ : state) {
        paint_map(c.buffer, c.scene, c.hits);
        benchmark::DoNotOptimize(c.buffer.constBits());
    }
    state.counters["markers"] = double(c.hits.size());
}

void BM_DragStep(benchmark::State& state) {
    Continent& c = continent();
    int step = 0;
    for (auto _ : state) {
        const int d = ++step % 2 ? 3 : -3;
        c.scene.view.offset.x += d;
        c.scene.view.offset.y += d;
        paint_map(c.buffer, c.scene, c.hits);
        benchmark::DoNotOptimize(c.buffer.constBits());
    }
}

void BM_TilesOnly(benchmark::State& state) {
    Continent& c = continent();
    c.scene.markers_shown = false;
    for (auto _ : state) {
        paint_map(c.buffer, c.scene, c.hits);
        benchmark::DoNotOptimize(c.buffer.constBits());
    }
    c.scene.markers_shown = true;
}

BENCHMARK(BM_PaintMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragStep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TilesOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return run_offscreen_benchmarks(argc, argv);
}
