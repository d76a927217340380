#include "foundation/func_ressource.h"
#include "foundation/pqGR32_JPEG.h"
#include "generator/map_generator.h"
#include "support/blp_writer.h"
#include "support/generator_sections.h"
#include "support/mpq_writer.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <random>
#include <squish.h>

using namespace support;

namespace {

constexpr QRgb kGreen = 0xFF00FF00, kYellow = 0xFFFFFF00, kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

// A DXT1 tile of 256 x 256: the top half in one colour, the bottom half in another.
std::string two_colour_tile(QRgb top, QRgb bottom) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 256 * 256; ++i) {
        const QRgb c = i < 128 * 256 ? top : bottom;
        rgba.insert(rgba.end(), {uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)), 255});
    }
    return blp2_file(blp2_dxt(rgba, 256, 256, squish::kDxt1, 0));
}

// Every pixel of the square (x, y, side) of the JPEG file within 12 of the colour.
void expect_colour(const std::string& file, int x, int y, int side, QRgb colour) {
    QImage image;
    LoadJPEG(&image, file);
    int worst = 0;
    for (int j = y; j < y + side; ++j)
        for (int i = x; i < x + side; ++i) {
            const QRgb p = image.pixel(i, j);
            worst = std::max({worst, std::abs(qRed(p) - qRed(colour)),
                              std::abs(qGreen(p) - qGreen(colour)),
                              std::abs(qBlue(p) - qBlue(colour))});
        }
    EXPECT_LE(worst, 12) << file << " at " << x << "," << y;
}

// The first luminance quantiser of a JPEG file: 1 at quality 100, larger at lower qualities.
int first_quantiser(const std::string& file) {
    std::string bytes;
    return read_file(file, bytes) ? static_cast<uint8_t>(bytes.at(bytes.find("\xFF\xDB") + 5)) : -1;
}

std::string settings(const std::vector<std::string>& valid, const std::vector<std::string>& paths) {
    return generator_settings_section(
        {"Software\\Example\\Vev", "InstallPath", "liste.trs", "cartes\\", valid, paths});
}

// A game folder whose settings name patch.mpq, base.mpq and an archive that does not exist.
class Generation : public ::testing::Test {
protected:
    TempDir dir;
    MapGenerator g;
    std::string game = dir.file("game/");

    void SetUp() override {
        QDir().mkpath(to_path(game + "Data"));
        QDir().mkpath(to_path(dir.file("maps/high")));
        ASSERT_TRUE(write_raw(game + "VeV.exe", "MZ"));
        // Lines of 2048 characters are kept, longer ones left out.
        const std::string list =
            "Nord\\A_0_0\tt00.blp\r\nNord\\A_0_1\tt01.blp\r\nNord\\A_0_2\tbad.blp\r\n"
            "Nord\\A_1_1\tmissing.blp\r\nNord\\A_2_2\t\r\nSud\\A_3_3\tt00.blp\r\n"
            "Nord\\T\ttrans.blp\r\nNord\\" +
            std::string(2037, 'x') + "\tx.blp\r\nNord\\" + std::string(2038, 'y') + "\ty.blp\r\n";
        // 64 x 64: transparent with a colour on the left, opaque blue on the right.
        std::string bgra;
        for (int i = 0; i < 64 * 64; ++i)
            bgra +=
                i % 64 < 32 ? std::string("\x32\x64\xC8\x00", 4) : std::string("\xFF\0\0\xFF", 4);
        ASSERT_TRUE(write_mpq(game + "Data/base.mpq",
                              {{"cartes\\liste.trs", list},
                               {"cartes\\trans.blp", blp2_file(blp2_raw_bgra(64, 64, 8, bgra))},
                               {"cartes\\bad.blp", "BLP2 but no texture"},
                               {"cartes\\t00.blp", two_colour_tile(kGreen, kYellow)},
                               {"cartes\\t01.blp", two_colour_tile(kBlue, kBlue)}}));
        ASSERT_TRUE(
            write_mpq(game + "Data/patch.mpq", {{"cartes\\t01.blp", two_colour_tile(kRed, kRed)}}));
        GeneratorZoneSpec alpha{"Alpha", {}}, empty{"Empty", {}}, evil{"../evil", {}},
            beta{"Beta", {}};
        for (auto [cell, tile] : {std::pair{0, "Nord\\A_0_0"},
                                  {1, "Nord\\A_0_1"},
                                  {2, "Nord\\A_0_2"},
                                  {5, "Nord\\A_1_1"},
                                  {10, "Nord\\A_2_2"},
                                  {15, "Sud\\A_3_3"}})
            alpha.tiles[cell] = tile;
        evil.tiles[0] = beta.tiles[15] = "Nord\\A_0_0";
        // A block without a name goes on with the zone before it.
        GeneratorZoneSpec more_beta{"", {}};
        more_beta.tiles[0] = "Nord\\A_0_1";
        const std::string more = generator_zone_section({more_beta}).replace(0, 6, "[none]") +
                                 "[name]Gamma\r\n[none]\r\n[none]\r\n"; // incomplete
        ASSERT_TRUE(ContainerWriter()
                        .section(5, settings({"Nord\\"}, {"Data\\patch.mpq", "Data\\base.mpq",
                                                          "Data\\absent.mpq"}))
                        .section(6, generator_zone_section({alpha, empty, evil, beta}) + more)
                        .write(dir.file("master.loc")));
        ASSERT_TRUE(g.init_genmap(dir.file("master.loc")));
        // A zone without any tile keeps its images.
        for (const char* name : {"maps/Empty.jpg", "maps/high/Empty.jpg"})
            ASSERT_TRUE(write_raw(dir.file(name), name));
        ASSERT_TRUE(g.find_game_folder(game, "<none>"));
        g.refresh_paths();
    }

    // The error lines without their time stamps.
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const std::string& line : g.errors)
            out.push_back(line.substr(std::string("hh:mm:ss:       ").size()));
        return out;
    }
};

} // namespace

TEST_F(Generation, BuildsBothImagesOfEveryWholeBlock) {
    for (bool low : {false, true}) {
        SCOPED_TRACE(low ? "low definition" : "high definition");
        g.errors.clear();
        std::vector<std::pair<int, int>> progress;
        GenerationOptions options;
        options.low_definition = low;
        options.quality = low ? 80 : 25;
        options.progress = [&](int position, int max) { progress.push_back({position, max}); };
        EXPECT_TRUE(g.load_translation());
        const GenerationCount count = g.generate_all(dir.file("maps/"), options);
        EXPECT_TRUE(count.written == 6 && count.failed == 0 && count.without_tile == 1);

        const int t = low ? 128 : 256;
        const std::string high = dir.file("maps/high/Alpha.jpg"),
                          small = dir.file("maps/Alpha.jpg");
        // Cell (0, 0) upright; cell (0, 1) from the patch archive, which stands first; no tile:
        // no texture (2, 0), a missing file (1, 1), an empty translation (2, 2), a wrong prefix.
        // The small image is a quarter as wide.
        for (auto [file, c] : {std::pair{high, t}, {small, t / 4}}) {
            const int q = c / 4;
            expect_colour(file, q, q / 2, q, kGreen);
            expect_colour(file, q, 2 * q + q / 2, q, kYellow);
            expect_colour(file, c + q, q, 2 * q, kRed);
            for (int cell : {2, 5, 10, 15})
                expect_colour(file, cell % 4 * c + q, cell / 4 * c + q, 2 * q, 0);
        }
        // libjpeg's luminance DC quantiser is 16 at quality 50, scaled by 50 / quality.
        EXPECT_EQ(std::pair(first_quantiser(high), first_quantiser(small)),
                  std::pair(low ? 6 : 32, 1));
        // Beta's nameless second block adds its tile to the first one's.
        const int q = t / 4;
        expect_colour(dir.file("maps/high/Beta.jpg"), q, q, 2 * q, kRed);
        expect_colour(dir.file("maps/high/Beta.jpg"), 3 * t + q, 3 * t + q / 2, q, kGreen);
        QImage beta;
        LoadJPEG(&beta, dir.file("maps/Beta.jpg"));
        EXPECT_EQ(beta.size(), QSize(t, t));

        EXPECT_EQ(std::pair(progress.front(), progress.back()),
                  std::pair(std::pair(0, 88), std::pair(88, 88)));
        EXPECT_EQ(messages(), (std::vector<std::string>{
                                  "cartes\\liste.trs: lines over 2048 characters left out: 1",
                                  "cartes\\bad.blp Error: not a readable BLP2 texture",
                                  "cartes\\missing.blp Error",
                                  "Zone Empty: no tile found, its images were left as they were",
                                  "Zone name \"../evil\" refused: not a plain file name",
                                  "Zone list: incomplete last block of 3 lines ignored"}));
    }
    // Nothing else is written: no temporary file, nothing outside maps/.
    for (const char* folder : {"maps/high", "maps"})
        EXPECT_EQ(QDir(to_path(dir.file(folder))).entryList(QDir::Files),
                  QStringList({"Alpha.jpg", "Beta.jpg", "Empty.jpg"}));
    std::string kept;
    EXPECT_TRUE(read_file(dir.file("maps/high/Empty.jpg"), kept) && kept == "maps/high/Empty.jpg");
    EXPECT_FALSE(file_exists(dir.file("evil.jpg")));

    // Images that cannot be saved (no high/ folder) are logged by their path; the run goes on.
    g.clear_errors();
    const std::string flat = dir.file("Карты/");
    QDir().mkpath(to_path(flat));
    const GenerationCount count = g.generate_all(flat, {});
    EXPECT_TRUE(file_exists(flat + "Alpha.jpg") && file_exists(flat + "Beta.jpg"));
    EXPECT_TRUE(count.written == 3 && count.failed == 3);
    EXPECT_EQ(messages().at(2),
              flat + "high/Alpha.jpg Error: Saving image: The file cannot be written");
    EXPECT_EQ(messages().size(), 5u + 3u);

    // A run stopped while drawing Beta's tiles writes only Alpha's images.
    GenerationOptions stopping;
    int calls = 0;
    stopping.process_events = [&] { return ++calls < 40; };
    const GenerationCount stopped = g.generate_all(dir.file("maps/"), stopping);
    EXPECT_TRUE(stopped.stopped && stopped.written == 2 && calls == 40);
}

TEST_F(Generation, TranslationListAndArchiveList) {
    g.load_translation();
    EXPECT_EQ(g.translation_list.size(), 7u); // the "Sud\" line and the long one are gone
    EXPECT_EQ(g.translate_tile("Nord\\A_0_1"), "t01.blp");
    // A rescaled tile keeps the colour of its transparent pixels.
    for (int size : {128, 256}) {
        const QImage tile = g.tile_for("[zonA]Nord\\T", size);
        EXPECT_EQ(std::pair(tile.pixel(0, size - 1), tile.pixel(size - 1, 0)),
                  std::pair(qRgba(200, 100, 50, 0), kBlue));
    }
    // The first line from the top that begins with the tile wins, even for a longer tile name;
    // a line without a TAB gives itself.
    std::mt19937 rng(7);
    const auto name = [&] {
        std::string s(1 + rng() % 4, ' ');
        for (char& c : s)
            c = "a\xE9\tb"[rng() % 4];
        return s;
    };
    std::vector<std::string> lines{"ab"};
    for (int i = 0; i < 300; ++i)
        lines.push_back(name() + "\t" + std::to_string(i));
    g.set_translation(lines);
    for (int q = 0; q < 500; ++q) {
        const std::string tile = q ? name() : "a";
        const auto first = std::find_if(lines.begin(), lines.end(),
                                        [&](const std::string& l) { return l.starts_with(tile); });
        ASSERT_EQ(g.translate_tile(tile), first == lines.end() ? "" : copy_after_char(*first, '\t'))
            << tile;
    }
    // Without a valid prefix every line goes, without an error line; a list that no archive
    // holds, or one past its limit, is one error line and no list.
    g.valid_prefixes.clear();
    EXPECT_TRUE(g.load_translation() && g.translation_list.empty() && g.errors.size() == 1);
    g.translation_file = "autre.trs";
    EXPECT_FALSE(g.load_translation());
    QFile::remove(to_path(game + "Data/patch.mpq"));
    ASSERT_TRUE(write_mpq(game + "Data/patch.mpq",
                          {{"cartes\\huge.trs", std::string(kMaxTranslationFileSize + 1, 'N')}}));
    g.translation_file = "huge.trs";
    EXPECT_FALSE(g.load_translation());
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "cartes\\liste.trs: lines over 2048 characters left out: 1",
                              "cartes\\autre.trs Error",
                              "cartes\\huge.trs Error: more than 33554432 bytes, not read"}));

    // User entries stand first in their stored order; they alone move up and are removed.
    const std::string d = game + "Data/";
    g.add_user_paths({d + "base.mpq", dir.file("mine.mpq")});
    g.refresh_paths();
    std::vector<std::string> listed;
    for (const rMpqPath& e : g.archives)
        listed.push_back(e.full_path + (e.exists ? "" : " (missing)") + (e.user ? " (user)" : ""));
    EXPECT_EQ(listed, (std::vector<std::string>{
                          d + "base.mpq (user)", dir.file("mine.mpq") + " (missing) (user)",
                          d + "patch.mpq", d + "base.mpq", d + "absent.mpq (missing)"}));
    EXPECT_TRUE(!g.move_up(0) && !g.move_up(2) && g.move_up(1));
    EXPECT_EQ(g.user_paths(), (std::vector<std::string>{dir.file("mine.mpq"), d + "base.mpq"}));
    g.remove_user_entries();
    EXPECT_TRUE(g.archives.size() == 3 && g.user_paths().empty());
}

TEST(GeneratorSettings, ReadsSectionsFiveAndSix) {
    TempDir dir;
    const std::string zones = generator_zone_section({{"Alpha", {}}});
    ContainerWriter()
        .section(5,
                 "[K]\r\n[REGV]=Path\r\n[LIST]=liste.trs\r\n[ROOT]=cartes\\\r\n"
                 "[VALI]=Nord\\\r\n[vali]=lower\r\n[PATH]=Data\\a.mpq\r\nnoise\r\n[VALI]=Sud\\\r\n")
        .section(6, zones)
        .write(dir.file("good.loc"));
    MapGenerator g;
    g.game_folder = "/game/";
    ASSERT_TRUE(g.init_genmap(dir.file("good.loc")));
    EXPECT_EQ(std::vector<std::string>(
                  {g.registry_key, g.registry_value, g.translation_file, g.archive_prefix}),
              std::vector<std::string>({"", "Path", "liste.trs", "cartes\\"}));
    EXPECT_EQ(g.valid_prefixes, (std::vector<std::string>{"Nord\\", "Sud\\"}));
    ASSERT_EQ(g.archives.size(), 1u);
    EXPECT_EQ(g.archives[0].full_path, "/game/Data/a.mpq");
    EXPECT_EQ(g.zone_list, split_lines(zones));

    // Prefixes and archives beyond the first hundred of each are left out.
    std::vector<std::string> many(kMaxSettingsEntries + 1, "p");
    ContainerWriter().section(5, settings(many, many)).section(6, zones).write(dir.file("m.loc"));
    MapGenerator capped;
    ASSERT_TRUE(capped.init_genmap(dir.file("m.loc")));
    EXPECT_TRUE(capped.valid_prefixes.size() == 100 && capped.archives.size() == 100);
    EXPECT_EQ(capped.errors.at(0).substr(16),
              "Generator settings: 2 prefixes or archives beyond the first 100 of each left out");

    // A missing file, three lines of settings, a damaged zone list.
    ContainerWriter().section(5, "a\r\nb\r\nc\r\n").section(6, zones).write(dir.file("short.loc"));
    ContainerWriter().section(5, settings({}, {})).raw_section(6, "xx").write(dir.file("bad.loc"));
    for (const char* name : {"none.loc", "short.loc", "bad.loc"}) {
        MapGenerator failed;
        EXPECT_FALSE(failed.init_genmap(dir.file(name))) << name;
        ASSERT_EQ(failed.errors.size(), 1u);
        EXPECT_EQ(failed.errors[0].substr(8), ":       erreur d'initialisation du Genmap");
    }
}

// Paths shortened for the list. Error lines: cut in their middle at character boundaries, paths
// in the file system's encoding, at most 1000 in the file and a last line counting the others.
TEST(GeneratorRoutines, ShortenedPathsAndErrorLines) {
    const std::string path = "0123456789" + std::string(19, 'x') + std::string(31, 'e');
    EXPECT_EQ(shorten_path(path, 55), "0123456789 [...] " + std::string(31, 'e')); // 48 in all
    EXPECT_EQ(shorten_path(path.substr(0, 55), 55), path.substr(0, 55));
    EXPECT_EQ(shorten_path(path, 50).size(), 43u);
    TempDir dir;
    MapGenerator g;
    g.log_error(std::string(1'500'000, 'x') + "\xE9 Error");
    g.log_file_error(dir.file("База/a.jpg"), "what\xE9");
    g.log_file_error(dir.file(QString(1000, QChar(0x411)).toStdString()), "what");
    EXPECT_EQ(g.errors[0].substr(16),
              std::string(496, 'x') + " [...] " + std::string(488, 'x') + "é Error");
    EXPECT_EQ(g.errors[1].substr(16), dir.file("База/a.jpg") + " Error: whaté");
    EXPECT_EQ(QString::fromUtf8(g.errors[2]).toStdString(), g.errors[2]);
    for (int i = 0; i < 1200; ++i)
        g.log_error("e");
    std::string log;
    ASSERT_TRUE(g.write_error_log(dir.file("error.log")) && read_file(dir.file("error.log"), log));
    const std::vector<std::string> lines = split_lines(log);
    EXPECT_EQ(std::pair(lines.size(), lines.back().substr(16)),
              std::pair(size_t{1001}, std::string("203 more error lines left out")));
}

// The error lines come after what the log holds. A log grown past its size starts anew, the old
// one kept beside it; a link is not written through, and its target keeps its bytes.
TEST(GeneratorRoutines, ErrorLinesComeAfterWhatTheLogHolds) {
    TempDir dir;
    const std::string log = dir.file("error.log");
    MapGenerator g;
    g.log_error("first");
    ASSERT_TRUE(write_raw(log, "2026-01-02 10:00:00: a limit met at start\r\n"));
    ASSERT_TRUE(g.write_error_log(log));
    g.log_error("second");
    ASSERT_TRUE(g.write_error_log(log));
    const std::vector<std::string> lines = split_lines(file_text(log));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(std::tuple(lines[0].substr(21), lines[1].substr(16), lines[3].substr(16)),
              std::tuple("a limit met at start", "first", "second"));
    const std::string full(kLogRotationSize, 'x');
    ASSERT_TRUE(write_raw(log, full));
    ASSERT_TRUE(g.write_error_log(log));
    EXPECT_EQ(file_text(log + ".old"), full);
    EXPECT_EQ(split_lines(file_text(log)).size(), 2u);
    const std::string outside = dir.file("outside.txt");
    ASSERT_TRUE(write_raw(outside, "kept") && QFile::remove(to_path(log)) &&
                QFile::link(to_path(outside), to_path(log)));
    EXPECT_FALSE(g.write_error_log(log));
    EXPECT_EQ(std::pair(file_text(outside), QFileInfo(to_path(log)).isSymLink()),
              std::pair(std::string("kept"), true));
}
