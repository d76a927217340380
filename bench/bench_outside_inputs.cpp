// Hostile but plausible outside files at the sizes that once froze the window or took gigabytes,
// each read (and shown or painted) as the program does: the time, and the peak resident memory
// above what the process held before (peak_MB).
//
// - a creditlist.inf of 48 KB inflating to 50,000,000 bytes on one line, shown in the about box;
// - a link.txt of 400,000 lines, read into the links menu;
// - a tips.txt of 1,000,000 lines, and one of a single line of 8,000,000 characters, read and
//   painted on the map;
// - a master.loc declaring 10,000 zones and 2,000 categories, read and built into the points
//   tree;
// - four outline files of 8 MB (and of 32 MB) loaded with their continent and painted, beside four
//   of the largest size read, painted whole and zoomed in;
// - four zones whose images and high-detail images are JPEG files of 8192 x 8192 pixels (about
//   400 KB, sequential and progressive), and of the largest sizes loaded, loaded with their
//   continent, painted zoomed in so that the high-detail images load, and dragged three times;
//   then 25 zones of the largest sizes, 20 of them on a 1920 x 1080 map just above the lowest
//   threshold of the high-detail images, more than their budget holds;
// - a catpref.bin of 200 MB and of 1 GB read with the categories;
// - an icon strip of data/ padded to 300 MB, read as the start reads it.

#include "database/points_tree.h"
#include "foundation/Data.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/map_data.h"
#include "mainwindow/map_paint.h"
#include "mainwindow/widgets/about.h"
#include "mainwindow/widgets/map.h"
#include "offscreen_main.h"
#include "process_memory.h"
#include "support/jpeg_writer.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"
#include "support/section_records.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"
#include "synthetic_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <random>

namespace {

// Measures the peak resident memory of what runs between its creation and report().
class PeakMemory {
public:
    void report(benchmark::State& state) const {
        state.counters["peak_MB"] = status_mb("VmHWM:") - base_;
    }

private:
    double base_ = reset_peak();
};

const TempDir& folder() {
    static TempDir dir;
    return dir;
}

std::string compress_best(const std::string& data) {
    uLongf size = compressBound(uLong(data.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(data.data()), uLong(data.size()), 9);
    out.resize(size);
    return out;
}

std::string numbered_lines(size_t count, const std::string& text) {
    std::string lines;
    for (size_t i = 0; i < count; ++i)
        lines += text + std::to_string(i) + "\r\n";
    return lines;
}

// The main window of the synthetic installation, its language folder "Bench".
TForm4& window() {
    static std::unique_ptr<TForm4> form = [] {
        auto f = support::synthetic_window();
        language = "Bench";
        QDir().mkpath(to_path(res_path + "Bench"));
        return f;
    }();
    static bool released = false;
    if (!released) {
        release_before_exit([] { form.reset(); });
        released = true;
    }
    return *form;
}

void BM_Credits(benchmark::State& state) {
    SavedGlobals saved;
    db_path = folder().file("credits/");
    QDir().mkpath(to_path(db_path));
    const std::string stream = compress_best(std::string(50000000, 'x'));
    support::write_raw(db_path + "creditlist.inf", stream);
    state.counters["file_KB"] = double(stream.size()) / 1024.0;
    PeakMemory peak;
    for (auto _ : state) {
        TForm5 box;
        box.show_credits_page();
        box.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(box.Memo2->document());
    }
    peak.report(state);
}
BENCHMARK(BM_Credits)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Links(benchmark::State& state) {
    TForm4& form = window();
    support::write_raw(res_path + "Bench/link.txt",
                       "Links\r\n" + numbered_lines(size_t(state.range(0)), "Site=http://x/"));
    PeakMemory peak;
    for (auto _ : state)
        form.reload_links();
    peak.report(state);
    state.counters["menu_items"] = double(form.site1->menu()->actions().size());
}
BENCHMARK(BM_Links)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Loads the tips and paints them over the splash on a 1920 x 1080 map.
void tips(benchmark::State& state, const std::string& text) {
    TForm4& form = window();
    support::write_raw(res_path + "Bench/tips.txt", text);
    QImage buffer(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    TMapScene scene;
    scene.tips_shown = true;
    scene.tips = &form.tips;
    TMarkerHits hits;
    PeakMemory peak;
    for (auto _ : state) {
        form.load_tips();
        scene.tips_width = form.tips_width;
        scene.tips_line_height = form.tips_height;
        paint_map(buffer, scene, hits);
        paint_map(buffer, scene, hits); // a repaint
    }
    peak.report(state);
    state.counters["lines"] = double(form.tips.size());
}

void BM_TipsLines(benchmark::State& state) {
    tips(state, numbered_lines(1000000, "Tip number "));
}
BENCHMARK(BM_TipsLines)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_TipsLongLine(benchmark::State& state) {
    tips(state, std::string(8000000, 'w'));
}
BENCHMARK(BM_TipsLongLine)->Unit(benchmark::kMillisecond)->Iterations(1);

// A master.loc declaring that many zones and categories, read and built into the points tree as
// the data load does.
void BM_MasterLoc(benchmark::State& state) {
    std::vector<support::ZoneSpec> zones;
    for (int z = 0; z < state.range(0); ++z)
        zones.push_back({.name = "Zone " + std::to_string(z),
                         .image_name = "z" + std::to_string(z),
                         .zone_id = int16_t(z + 1),
                         .continent_id = 1,
                         .no_image = true});
    std::vector<support::CategorySpec> categories;
    for (int k = 0; k < state.range(1); ++k)
        categories.push_back({.name = "Category " + std::to_string(k), .id = uint8_t(k)});
    const std::string master = folder().file("master.loc");
    support::ContainerWriter()
        .section(3, support::map_section({}, {{1, 0, 1, "Continent"}}, zones))
        .section(4, support::category_section(categories))
        .write(master);
    PeakMemory peak;
    size_t nodes = 0;
    for (auto _ : state) {
        TData_common common(master, folder().file("catpref.bin"));
        TData_map map(master);
        TPointsTree tree;
        build_zone_tree(tree, map, common);
        nodes = tree.size();
    }
    peak.report(state);
    state.counters["tree_nodes"] = double(nodes);
}
BENCHMARK(BM_MasterLoc)
    ->Args({5000, 2000})
    ->Args({10000, 2000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// An outline of random walks of 100 points over the zone, `bytes` long.
std::string outline_file(size_t bytes) {
    std::mt19937 random(7);
    std::string out;
    while (out.size() + 2 + 400 <= bytes) {
        const uint16_t n = 100;
        out.append(reinterpret_cast<const char*>(&n), 2);
        uint16_t x = uint16_t(random()), y = uint16_t(random());
        for (int k = 0; k < n; ++k) {
            x = uint16_t(x + random() % 601 - 300);
            y = uint16_t(y + random() % 601 - 300);
            out.append(reinterpret_cast<const char*>(&x), 2);
            out.append(reinterpret_cast<const char*>(&y), 2);
        }
    }
    out.resize(bytes, '\0');
    return out;
}

// Four zones (2 x 2) whose outlines are `bytes` long, loaded as a continent's load reads them and
// painted on a 1920 x 1080 map at the zoom given (the four zones fill the map at 540).
void BM_Outlines(benchmark::State& state) {
    const std::string file = folder().file("zone.vec");
    support::write_raw(file, outline_file(size_t(state.range(0))));
    std::vector<std::unique_ptr<pMap_info>> owned;
    std::vector<pMap_info*> zones;
    for (int z = 0; z < 4; ++z) {
        owned.push_back(std::make_unique<pMap_info>());
        owned.back()->origin_x = (z % 2) * 65536;
        owned.back()->origin_y = -(z / 2) * 65536;
        zones.push_back(owned.back().get());
    }
    QImage buffer(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    TMapScene scene;
    scene.view = {int32_t(state.range(1)), {420, 0}, 1920, 1080};
    scene.show_continent = true;
    scene.zones = &zones;
    scene.zone_outlines = true;
    scene.lodv = 0;
    TMarkerHits hits;
    PeakMemory peak;
    for (auto _ : state) {
        for (pMap_info* z : zones)
            z->outline = read_outline(file);
        paint_map(buffer, scene, hits);
    }
    peak.report(state);
    state.counters["points"] = double(zones[0]->outline->points.size() * 4);
}
BENCHMARK(BM_Outlines)
    ->Args({8 << 20, 540})
    ->Args({32 << 20, 540})
    ->Args({kOutlineFileLimit, 540})
    ->Args({kOutlineFileLimit, 3500})
    ->Unit(benchmark::kMillisecond);

// A JPEG file of side x side pixels of a soft gradient, as made by a writer of such images.
std::string gradient_jpeg(int side, bool progressive) {
    const std::string file = folder().file("gradient.jpg");
    std::vector<uint8_t> pixels(size_t(side) * size_t(side) * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const size_t p = i / 3;
        pixels[i] = uint8_t((p % size_t(side) / 128 + p / size_t(side) / 128 + i % 3 * 40) & 255);
    }
    write_test_jpeg(file, side, side, 3, JCS_RGB, JCS_YCbCr, pixels, 75, progressive);
    std::string bytes;
    read_file(file, bytes);
    return bytes;
}

// A square of `across` x `across` zones whose images are JPEG files of `normal` pixels a side
// and whose high-detail images are of `high` pixels, loaded as a continent's load loads them,
// then painted where the high-detail images load as the window loads them, then dragged three
// times. Four zones are painted on a 1280 x 800 map at zoom 1200; more on a 1920 x 1080 map at
// zoom 513, just above the lowest threshold, where 5 x 4 of them are on screen.
void BM_ZoneImages(benchmark::State& state) {
    const std::string maps = folder().file("maps/");
    QDir().mkpath(to_path(maps + "high"));
    const bool progressive = state.range(2) != 0;
    const int across = int(state.range(3));
    const std::string normal = gradient_jpeg(int(state.range(0)), progressive);
    const std::string high = gradient_jpeg(int(state.range(1)), progressive);
    std::vector<std::unique_ptr<pMap_info>> owned;
    std::vector<pMap_info*> zones;
    for (int z = 0; z < across * across; ++z) {
        support::write_raw(maps + "z" + std::to_string(z) + ".jpg", normal);
        support::write_raw(maps + "high/z" + std::to_string(z) + ".jpg", high);
        owned.push_back(std::make_unique<pMap_info>());
        owned.back()->image_name = "z" + std::to_string(z);
        owned.back()->origin_x = (z % across) * 65536;
        owned.back()->origin_y = -(z / across) * 65536;
        zones.push_back(owned.back().get());
    }
    state.counters["files_KB"] = double(normal.size() + high.size()) / 1024.0;
    const bool four = across == 2;
    QImage buffer(four ? 1280 : 1920, four ? 800 : 1080, QImage::Format_ARGB32_Premultiplied);
    TMapScene scene;
    scene.show_continent = true;
    scene.zones = &zones;
    scene.mahd = four ? 600 : 512;
    scene.load_high_image = [&](pMap_info& z, TImageBudget& room) {
        return load_zone_image(maps + "high/" + z.image_name, z.high_image, kMaxHighImageSide,
                               &room);
    };
    TMarkerHits hits;
    int loaded = 0;
    PeakMemory peak;
    for (auto _ : state) {
        TImageBudget budget;
        for (pMap_info* z : zones)
            loaded +=
                load_zone_image(maps + z->image_name, z->normal_image, kMaxZoneImageSide, &budget);
        scene.view = four ? TMapView{1200, {-600, -600}, buffer.width(), buffer.height()}
                          : TMapView{513, {-500, -500}, buffer.width(), buffer.height()};
        paint_map(buffer, scene, hits);
        for (pMap_info* z : zones) {
            state.counters["first_paint_high_wanted"] += z->in_view;
            state.counters["first_paint_high_loaded"] += !z->high_image.isNull();
        }
        for (int drag = 0; drag < 3; ++drag) {
            scene.view.offset.x -= 100;
            paint_map(buffer, scene, hits);
        }
    }
    peak.report(state);
    int on_screen = 0;
    for (pMap_info* z : zones) {
        loaded += z->high_image.isNull() ? 0 : 1;
        on_screen += z->in_view;
    }
    state.counters["images_loaded"] = loaded;
    state.counters["images_wanted"] = double(zones.size()) + on_screen;
    state.counters["images_held_MB"] = double(zone_image_bytes(zones)) / (1 << 20);
    take_outside_limits();
}
BENCHMARK(BM_ZoneImages)
    ->Args({8192, 8192, 0, 2})
    ->Args({8192, 8192, 1, 2})
    ->Args({kMaxZoneImageSide, kMaxHighImageSide, 0, 2})
    ->Args({kMaxZoneImageSide, kMaxHighImageSide, 1, 2})
    ->Args({kMaxZoneImageSide, kMaxHighImageSide, 0, 5})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// A catpref.bin of that many MB (of zeros, as a sparse file) read with ten categories.
void BM_Catpref(benchmark::State& state) {
    std::vector<support::CategorySpec> categories;
    for (int k = 0; k < 10; ++k)
        categories.push_back({.name = "Category " + std::to_string(k), .id = uint8_t(k)});
    const std::string master = folder().file("catpref_master.loc");
    support::ContainerWriter().section(4, support::category_section(categories)).write(master);
    const std::string catpref = folder().file("big_catpref.bin");
    support::write_raw(catpref, "");
    QFile(to_path(catpref)).resize(qint64(state.range(0)) << 20);
    PeakMemory peak;
    for (auto _ : state) {
        TData_common common(master, catpref);
        benchmark::DoNotOptimize(common.categories.data());
        QFile(to_path(catpref)).resize(qint64(state.range(0)) << 20); // as it was, for a rerun
    }
    peak.report(state);
    take_outside_limits();
}
BENCHMARK(BM_Catpref)->Arg(200)->Arg(1024)->Unit(benchmark::kMillisecond)->Iterations(1);

// data/icon_a.bmp of 480 x 16 pixels followed by 300 MB (a sparse file), read as the start reads
// the icon strips.
void BM_IconStripPadded(benchmark::State& state) {
    const std::string strip = folder().file("icon_a.bmp");
    QImage image(480, 16, QImage::Format_RGB32);
    image.fill(0xFF808080);
    image.save(to_path(strip), "BMP");
    QFile(to_path(strip)).resize(QFile(to_path(strip)).size() + (qint64(300) << 20));
    PeakMemory peak;
    QImage read;
    for (auto _ : state)
        read = read_bitmap_file(strip, QSize(max_icon_strip_width, max_icon_strip_height))
                   .convertToFormat(QImage::Format_ARGB32);
    peak.report(state);
    state.counters["width"] = read.width();
}
BENCHMARK(BM_IconStripPadded)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    ScriptedMessages boxes;
    return run_offscreen_benchmarks(argc, argv);
}
