// The map generator on a whole continent: 30 zones of 16 tiles of 256 x 256 (DXT1), read from
// an archive that is opened anew for every read, behind a patch archive without tiles; each
// zone saved as its 1024 x 1024 image at quality 80 and its 256 x 256 image at quality 100.
// Beside it, the JPEG floor: the same 60 saves alone. Divide by 30 for the figures per zone.

#include "foundation/pqGR32_JPEG.h"
#include "foundation/text_codec.h"
#include "generator/map_generator.h"
#include "support/blp_writer.h"
#include "support/generator_sections.h"
#include "support/mpq_writer.h"
#include "support/section_writer.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
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

void BM_Continent(benchmark::State& state) {
    Continent& c = continent();
    for (auto _ : state) {
        c.generator.load_translation();
        c.generator.generate_all(c.folder + "maps/", {});
    }
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

} // namespace

BENCHMARK_MAIN();
