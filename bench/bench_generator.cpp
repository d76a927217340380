// The map generator on a whole continent: 30 zones of 16 tiles of 256 x 256 (DXT1), read from
// an archive behind a patch archive without tiles; each zone saved as its 1024 x 1024 image at
// quality 80 and its 256 x 256 image at quality 100. Beside it, the JPEG floor: the same 60
// saves alone. Divide by 30 for the figures per zone.
//
// Then the generator against outside files as large as the game's or larger than any real one:
// 9 zones read from an archive of 100,000 files, and one input past each limit (a translation
// list, stored names, tiles, error lines). Each reports the peak memory of the process during
// the run (peak_MB), the part of it above what the process held before (above_MB), and the
// longest time the window would wait for its events (longest_gap_ms).

#include "foundation/pqGR32_JPEG.h"
#include "foundation/text_codec.h"
#include "generator/map_generator.h"
#include "process_memory.h"
#include "support/blp_writer.h"
#include "support/generator_sections.h"
#include "support/mpq_writer.h"
#include "support/section_writer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <StormLib.h>
#include <benchmark/benchmark.h>
#include <cstring>
#include <squish.h>

namespace {

constexpr int kZones = 30;

struct Continent {
    QTemporaryDir dir;
    std::string folder;
    MapGenerator generator;
    std::vector<QImage> high;
    std::vector<QImage> small;

    Continent() {
        folder = from_qstring(dir.path()) + "/";
        QDir().mkpath(to_path(folder + "game/Data"));
        QDir().mkpath(to_path(folder + "maps/high"));
        write_file_atomic(folder + "game/VeV.exe", "MZ");
        std::vector<std::string> textures;
        for (uint32_t i = 0; i < 16; ++i)
            textures.push_back(
                blp2_file(blp2_dxt(test_pattern(256, 256, false, i), 256, 256, squish::kDxt1, 0)));
        std::vector<MpqEntry> files;
        std::string translation;
        std::vector<support::GeneratorZoneSpec> zones;
        for (int z = 0; z < kZones; ++z) {
            support::GeneratorZoneSpec zone;
            zone.image_name = "zone" + std::to_string(z);
            for (int cell = 0; cell < 16; ++cell) {
                const std::string tile =
                    "Est\\zone" + std::to_string(z) + "_" + std::to_string(cell);
                const std::string stored = "t" + std::to_string(z * 16 + cell) + ".blp";
                translation += tile + "\t" + stored + "\r\n";
                files.push_back({"cartes\\" + stored, textures[(z + cell) % 16]});
                zone.tiles[static_cast<size_t>(cell)] = tile;
            }
            zones.push_back(zone);
        }
        files.push_back({"cartes\\liste.trs", translation});
        if (!write_mpq(folder + "game/Data/patch.mpq", {{"other.txt", "x"}}) ||
            !write_mpq(folder + "game/Data/base.mpq", files))
            throw std::runtime_error("smpq failed");
        support::ContainerWriter()
            .section(5,
                     support::generator_settings_section({"",
                                                          "",
                                                          "liste.trs",
                                                          "cartes\\",
                                                          {"Est\\"},
                                                          {"Data\\patch.mpq", "Data\\base.mpq"}}))
            .section(6, support::generator_zone_section(zones))
            .write(folder + "master.loc");
        if (!generator.init_genmap(folder + "master.loc") ||
            !generator.find_game_folder(folder + "game/", "-"))
            throw std::runtime_error("no generator settings");
        generator.refresh_paths();
        generator.load_translation();
        // The images of the run, for the JPEG floor.
        generator.generate_all(folder + "maps/", {});
        for (int z = 0; z < kZones; ++z) {
            QImage h, s;
            LoadJPEG(&h, folder + "maps/high/zone" + std::to_string(z) + ".jpg");
            LoadJPEG(&s, folder + "maps/zone" + std::to_string(z) + ".jpg");
            high.push_back(h);
            small.push_back(s);
        }
    }
};

Continent& continent() {
    static Continent c;
    return c;
}

// The peak is measured from here on, above what the process holds now.
double peak_base = 0;

void report_peak(benchmark::State& state) {
    state.counters["peak_MB"] = status_mb("VmHWM:");
    state.counters["above_MB"] = status_mb("VmHWM:") - peak_base;
}

void BM_Continent(benchmark::State& state) {
    Continent& c = continent();
    peak_base = reset_peak();
    for (auto _ : state) {
        c.generator.load_translation();
        c.generator.generate_all(c.folder + "maps/", {});
    }
    report_peak(state);
    if (!c.generator.errors.empty())
        state.SkipWithError(c.generator.errors.front().c_str());
}
BENCHMARK(BM_Continent)->Unit(benchmark::kMillisecond);

// The 60 saves alone, as the generator makes them: replaced by a rename.
void BM_ContinentJpegFloor(benchmark::State& state) {
    Continent& c = continent();
    for (auto _ : state)
        for (int z = 0; z < kZones; ++z) {
            SaveJPEG(c.high[z], c.folder + "high.jpg", 80, false);
            SaveJPEG(c.small[z], c.folder + "small.jpg", 100, false);
        }
}
BENCHMARK(BM_ContinentJpegFloor)->Unit(benchmark::kMillisecond);

// The same saves, each waiting until the file is on disk.
void BM_ContinentJpegFlushed(benchmark::State& state) {
    Continent& c = continent();
    for (auto _ : state)
        for (int z = 0; z < kZones; ++z) {
            SaveJPEG(c.high[z], c.folder + "high.jpg", 80);
            SaveJPEG(c.small[z], c.folder + "small.jpg", 100);
        }
}
BENCHMARK(BM_ContinentJpegFlushed)->Unit(benchmark::kMillisecond);

// The tile reads alone: 480 reads, each opening the archive anew, and their decoding.
void BM_ContinentTiles(benchmark::State& state) {
    Continent& c = continent();
    for (auto _ : state)
        for (int i = 0; i < kZones * 16; ++i) {
            QImage tile;
            std::string error;
            load_blp_tile(c.generator.archives, "cartes\\t" + std::to_string(i) + ".blp", tile,
                          error);
            benchmark::DoNotOptimize(tile);
        }
}
BENCHMARK(BM_ContinentTiles)->Unit(benchmark::kMillisecond);

// An archive written by StormLib one file at a time, for archives larger than smpq's command
// line takes; in the format smpq writes by default, with a list of names and attributes.
class ArchiveWriter {
    static constexpr DWORD kArchiveFlags =
        MPQ_CREATE_ARCHIVE_V4 | MPQ_CREATE_LISTFILE | MPQ_CREATE_ATTRIBUTES;

public:
    ArchiveWriter(const std::string& path, DWORD max_files) {
        if (!SFileCreateArchive(path.c_str(), kArchiveFlags, max_files, &mpq_))
            throw std::runtime_error("archive not created");
    }
    ~ArchiveWriter() { SFileCloseArchive(mpq_); }
    void add(const std::string& name, const std::string& data) {
        HANDLE file = nullptr;
        if (!SFileCreateFile(mpq_, name.c_str(), 0, static_cast<DWORD>(data.size()), 0,
                             MPQ_FILE_COMPRESS | MPQ_FILE_REPLACEEXISTING, &file) ||
            !SFileWriteFile(file, data.data(), static_cast<DWORD>(data.size()),
                            MPQ_COMPRESSION_ZLIB) ||
            !SFileFinishFile(file))
            throw std::runtime_error("file not added: " + name);
    }

private:
    HANDLE mpq_ = nullptr;
};

std::string dxt1_tile(uint32_t side) {
    Blp2Texture t{.width = side, .height = side, .encoding = 2};
    t.data.assign(size_t{side} * side / 2, '\x55');
    return blp2_file(t);
}

// A game whose archive holds every outside file of the cases below, and 100,000 files in all.
struct LargeGame {
    QTemporaryDir dir;
    std::string folder = from_qstring(dir.path()) + "/";
    MapGenerator generator;
    std::vector<std::string> huge_archive_zones; // 9 zones whose tiles are in the archive
    std::vector<std::string> missing_tile_zones; // 144 zones whose tiles are missing

    LargeGame() {
        QDir().mkpath(to_path(folder + "game/Data"));
        QDir().mkpath(to_path(folder + "maps/high"));
        write_file_atomic(folder + "game/VeV.exe", "MZ");
        {
            ArchiveWriter mpq(folder + "game/Data/base.mpq", 1 << 17);
            std::string list;
            std::vector<support::GeneratorZoneSpec> zones(9);
            for (int z = 0; z < 9; ++z)
                for (int cell = 0; cell < 16; ++cell) {
                    const std::string tile =
                        "Est\\z" + std::to_string(z) + "_" + std::to_string(cell);
                    list += tile + "\tt" + std::to_string(cell) + ".blp\r\n";
                    zones[size_t(z)].image_name = "zone" + std::to_string(z);
                    zones[size_t(z)].tiles[size_t(cell)] = tile;
                }
            huge_archive_zones = split_lines(support::generator_zone_section(zones));
            std::vector<support::GeneratorZoneSpec> missing(144);
            for (int z = 0; z < 144; ++z)
                for (int cell = 0; cell < 16; ++cell) {
                    const std::string tile =
                        "Est\\m" + std::to_string(z) + "_" + std::to_string(cell);
                    list += tile + "\t" + std::string(2000 - tile.size(), 'n') + ".blp\r\n";
                    missing[size_t(z)].image_name = "missing" + std::to_string(z);
                    missing[size_t(z)].tiles[size_t(cell)] = tile;
                }
            missing_tile_zones = split_lines(support::generator_zone_section(missing));
            mpq.add("cartes\\liste.trs", list);
            for (uint32_t i = 0; i < 16; ++i)
                mpq.add("cartes\\t" + std::to_string(i) + ".blp",
                        blp2_file(blp2_dxt(test_pattern(256, 256, false, i), 256, 256,
                                           squish::kDxt1, 0)));
            // 7 million lines, 189 MB; 1.2 million, just under 32 MB.
            const auto lines = [](size_t count) {
                std::string text;
                for (size_t i = 0; i < count; ++i)
                    text += (i % 8 ? "Ouest\\tile_" : "Est\\tile_") + std::to_string(i) + "\tt" +
                            std::to_string(i) + ".blp\r\n";
                return text;
            };
            mpq.add("cartes\\huge.trs", lines(7'000'000));
            std::string limit = lines(1'200'000);
            limit.resize(std::min<size_t>(limit.size(), kMaxTranslationFileSize));
            mpq.add("cartes\\limit.trs", limit);
            // Stored names of 1.5 MB: 144 of them (216 MB), and 20 (30 MB).
            const auto long_names = [](int count) {
                std::string text;
                for (int i = 0; i < count; ++i)
                    text += "Est\\long" + std::to_string(i) + "\t" + std::string(1'500'000, 'x') +
                            "\r\n";
                return text;
            };
            mpq.add("cartes\\names.trs", long_names(144));
            mpq.add("cartes\\names20.trs", long_names(20));
            mpq.add("cartes\\t16384.blp", dxt1_tile(16384));
            mpq.add("cartes\\t4096.blp", dxt1_tile(4096));
            mpq.add("cartes\\t1024.blp",
                    blp2_file(blp2_raw_bgra(1024, 1024, 0, std::string(1024 * 1024 * 4, 'r'))));
            for (int i = 0; i < 100'000 - 16 - 10; ++i)
                mpq.add("padding\\f" + std::to_string(i) + ".txt", std::to_string(i));
        }
        support::ContainerWriter()
            .section(5, support::generator_settings_section(
                            {"", "", "liste.trs", "cartes\\", {"Est\\"}, {"Data\\base.mpq"}}))
            .section(6, "")
            .write(folder + "master.loc");
        if (!generator.init_genmap(folder + "master.loc") ||
            !generator.find_game_folder(folder + "game/", "-"))
            throw std::runtime_error("no generator settings");
        generator.refresh_paths();
    }

    // One generation run over the zones; the longest wait between two event calls, in ms.
    double run(const std::vector<std::string>& zones) {
        generator.translation_file = "liste.trs";
        generator.load_translation();
        generator.zone_list = zones;
        GenerationOptions options;
        QElapsedTimer since;
        since.start();
        double longest = 0;
        options.process_events = [&] {
            longest = std::max(longest, since.nsecsElapsed() / 1e6);
            since.restart();
            return true;
        };
        generator.generate_all(folder + "maps/", options);
        return std::max(longest, since.nsecsElapsed() / 1e6);
    }
};

LargeGame& large_game() {
    static LargeGame g;
    return g;
}

void report(benchmark::State& state, double longest_gap_ms) {
    report_peak(state);
    state.counters["longest_gap_ms"] = longest_gap_ms;
}

// 9 zones whose 144 tiles come from an archive of 100,000 files.
void BM_ArchiveOf100000Files(benchmark::State& state) {
    LargeGame& g = large_game();
    double gap = 0;
    peak_base = reset_peak();
    for (auto _ : state)
        gap = std::max(gap, g.run(g.huge_archive_zones));
    report(state, gap);
}
BENCHMARK(BM_ArchiveOf100000Files)->Unit(benchmark::kMillisecond);

// One zone's 16 tiles, each read opening that archive anew.
void BM_ArchiveOf100000FilesOpenedPerTile(benchmark::State& state) {
    LargeGame& g = large_game();
    for (auto _ : state)
        for (int i = 0; i < 16; ++i) {
            QImage tile;
            std::string error;
            load_blp_tile(g.generator.archives, "cartes\\t" + std::to_string(i) + ".blp", tile,
                          error);
        }
}
BENCHMARK(BM_ArchiveOf100000FilesOpenedPerTile)->Unit(benchmark::kMillisecond);

// A translation list read and filtered: 189 MB (refused), 32 MB (at the limit), 144 stored
// names of 1.5 MB (refused), 20 of them (left out).
void BM_TranslationList(benchmark::State& state) {
    static const char* names[] = {"huge.trs", "limit.trs", "names.trs", "names20.trs"};
    LargeGame& g = large_game();
    g.generator.translation_file = names[state.range(0)];
    peak_base = reset_peak();
    for (auto _ : state) {
        g.generator.load_translation();
        g.generator.clear_errors();
    }
    state.counters["lines"] = double(g.generator.translation_list.size());
    state.SetLabel(names[state.range(0)]);
    report(state, 0);
}
BENCHMARK(BM_TranslationList)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// A tile of 16384 x 16384 (a 128 MB file, refused), 4096 x 4096 (refused), 1024 x 1024 (at the
// limit, rescaled to 256).
void BM_LargeTile(benchmark::State& state) {
    LargeGame& g = large_game();
    const std::string side = std::to_string(state.range(0));
    g.generator.set_translation({"Est\\big\tt" + side + ".blp"});
    peak_base = reset_peak();
    for (auto _ : state) {
        benchmark::DoNotOptimize(g.generator.tile_for("[zonA]Est\\big", 256));
        g.generator.clear_errors();
    }
    state.SetLabel(side);
    report(state, 0);
}
BENCHMARK(BM_LargeTile)->Arg(16384)->Arg(4096)->Arg(1024)->Unit(benchmark::kMillisecond);

// Three runs of 144 zones whose 2,304 tiles are missing, with stored names of 2,000 characters,
// in one opening of the dialog, then error.log written.
void BM_ErrorLinesOfThreeRuns(benchmark::State& state) {
    LargeGame& g = large_game();
    double gap = 0;
    peak_base = reset_peak();
    for (auto _ : state) {
        for (int run = 0; run < 3; ++run)
            gap = std::max(gap, g.run(g.missing_tile_zones));
        g.generator.write_error_log(g.folder + "error.log");
        state.counters["error_lines"] =
            double(g.generator.errors.size() + g.generator.errors_left_out);
        g.generator.clear_errors();
    }
    report(state, gap);
}
BENCHMARK(BM_ErrorLinesOfThreeRuns)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
