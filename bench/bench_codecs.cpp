// One zone of the map generator: 16 tiles of 256 x 256 read from an archive (opened anew for
// every read) and decoded, then the 1024 x 1024 image saved at quality 80 and the 256 x 256
// image at quality 100. Beside it: the tile reads alone, DXT1 decoding alone, the JPEG writes.

#include "foundation/pqGR32_JPEG.h"
#include "generator/generate_fich.h"
#include "platform/blp2decode.h"
#include "support/blp_writer.h"
#include "support/mpq_writer.h"

#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <squish.h>

namespace {

struct Fixture {
    QTemporaryDir dir;
    std::string folder;
    std::vector<rMpqPath> archives;
    std::vector<std::string> tiles;
    std::string dxt1_file;

    Fixture() {
        folder = dir.path().toStdString() + "/";
        std::vector<MpqEntry> files;
        for (int i = 0; i < 16; ++i) {
            const std::string name = "Textures\\Minimap\\map" + std::to_string(i / 4) + "_" +
                                     std::to_string(i % 4) + ".blp";
            const Blp2Texture t = blp2_dxt(test_pattern(256, 256, false, static_cast<uint32_t>(i)),
                                           256, 256, squish::kDxt1, 0);
            files.push_back({name, blp2_file(t)});
            tiles.push_back(name);
        }
        dxt1_file = files[0].second;
        // A patch archive without the tiles stands before the one that holds them.
        if (!write_mpq(folder + "patch.mpq", {{"other.txt", "x"}}) ||
            !write_mpq(folder + "common.mpq", files))
            throw std::runtime_error("smpq failed");
        for (const char* name : {"patch.mpq", "common.mpq"}) {
            rMpqPath p;
            p.full_path = folder + name;
            p.exists = true;
            archives.push_back(p);
        }
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void draw_tiles(Fixture& f, QImage& high) {
    QPainter painter(&high);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (int i = 0; i < 16; ++i) {
        QImage tile;
        std::string error;
        if (!load_blp_tile(f.archives, f.tiles[i], tile, error))
            throw std::runtime_error("tile not read");
        painter.drawImage(QRect((i % 4) * 256, (i / 4) * 256, 256, 256), tile);
    }
}

void save_images(Fixture& f, const QImage& high) {
    SaveJPEG(high, f.folder + "high.jpg", 80);
    const QImage small = high.scaled(256, 256, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    SaveJPEG(small, f.folder + "small.jpg", 100);
}

// The 1024 x 1024 zone image and its 256 x 256 reduction, drawn once.
struct ZoneImages {
    QImage high{1024, 1024, QImage::Format_ARGB32};
    QImage small;
    explicit ZoneImages(Fixture& f) {
        draw_tiles(f, high);
        small = high.scaled(256, 256, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
};

void BM_Zone(benchmark::State& state) {
    Fixture& f = fixture();
    QImage high(1024, 1024, QImage::Format_ARGB32);
    for (auto _ : state) {
        high.fill(0);
        draw_tiles(f, high);
        save_images(f, high);
    }
}
BENCHMARK(BM_Zone)->Unit(benchmark::kMillisecond);

void BM_ZoneTilesOnly(benchmark::State& state) {
    Fixture& f = fixture();
    QImage high(1024, 1024, QImage::Format_ARGB32);
    for (auto _ : state)
        draw_tiles(f, high);
}
BENCHMARK(BM_ZoneTilesOnly)->Unit(benchmark::kMillisecond);

void BM_ZoneJpegWrites(benchmark::State& state) {
    Fixture& f = fixture();
    const ZoneImages images(f);
    for (auto _ : state) {
        SaveJPEG(images.high, f.folder + "high.jpg", 80);
        SaveJPEG(images.small, f.folder + "small.jpg", 100);
    }
}
BENCHMARK(BM_ZoneJpegWrites)->Unit(benchmark::kMillisecond);

void BM_Jpeg1024Quality80(benchmark::State& state) {
    Fixture& f = fixture();
    const ZoneImages images(f);
    for (auto _ : state)
        SaveJPEG(images.high, f.folder + "high.jpg", 80);
}
BENCHMARK(BM_Jpeg1024Quality80)->Unit(benchmark::kMillisecond);

void BM_Jpeg256Quality100(benchmark::State& state) {
    Fixture& f = fixture();
    const ZoneImages images(f);
    for (auto _ : state)
        SaveJPEG(images.small, f.folder + "small.jpg", 100);
}
BENCHMARK(BM_Jpeg256Quality100)->Unit(benchmark::kMillisecond);

// Items are pixels: items_per_second is the decoding rate.
void BM_DecodeDxt1(benchmark::State& state) {
    const std::string& file = fixture().dxt1_file;
    const auto* b = reinterpret_cast<const uint8_t*>(file.data());
    for (auto _ : state) {
        uint32_t length = 0;
        benchmark::DoNotOptimize(BLP2DECODE_BLP2toRGBA(b, b + kBlp2DataOffset,
                                                       uint32_t(file.size() - kBlp2DataOffset),
                                                       &length, b + kBlp2HeaderSize, 256, 256));
        BLP2DECODE_FreeAll();
    }
    state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_DecodeDxt1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
