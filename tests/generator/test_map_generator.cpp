#include "foundation/pqGR32_JPEG.h"
#include "generator/map_generator.h"
#include "support/blp_writer.h"
#include "support/generator_sections.h"
#include "support/mpq_writer.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <QDir>
#include <gtest/gtest.h>
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
        const std::string list =
            "Nord\\A_0_0\tt00.blp\r\nNord\\A_0_1\tt01.blp\r\nNord\\A_0_2\tbad.blp\r\n"
            "Nord\\A_1_1\tmissing.blp\r\nNord\\A_2_2\t\r\nSud\\A_3_3\tt00.blp\r\n";
        ASSERT_TRUE(write_mpq(game + "Data/base.mpq",
                              {{"cartes\\liste.trs", list},
                               {"cartes\\bad.blp", "BLP2 but no texture"},
                               {"cartes\\t00.blp", two_colour_tile(kGreen, kYellow)},
                               {"cartes\\t01.blp", two_colour_tile(kBlue, kBlue)}}));
        ASSERT_TRUE(
            write_mpq(game + "Data/patch.mpq", {{"cartes\\t01.blp", two_colour_tile(kRed, kRed)}}));
        GeneratorZoneSpec alpha{"Alpha", {}}, evil{"../evil", {}}, beta{"Beta", {}};
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
                        .section(6, generator_zone_section({alpha, evil, beta}) + more)
                        .write(dir.file("master.loc")));
        ASSERT_TRUE(g.init_genmap(dir.file("master.loc")));
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
        g.load_translation();
        const GenerationCount count = g.generate_all(dir.file("maps/"), options);
        EXPECT_TRUE(count.written == 6 && count.failed == 0);

        const int t = low ? 128 : 256, q = t / 4, s = t / 4;
        const std::string high = dir.file("maps/high/Alpha.jpg"),
                          small = dir.file("maps/Alpha.jpg");
        // Cell (0, 0) upright; cell (0, 1) from the patch archive, which stands first; no tile:
        // no texture (2, 0), a missing file (1, 1), an empty translation (2, 2), a wrong prefix.
        expect_colour(high, q, q / 2, q, kGreen);
        expect_colour(high, q, 2 * q + q / 2, q, kYellow);
        expect_colour(high, t + q, q, 2 * q, kRed);
        for (int cell : {2, 5, 10, 15})
            expect_colour(high, cell % 4 * t + q, cell / 4 * t + q, 2 * q, 0);
        // The small image: a quarter as wide.
        expect_colour(small, s / 4, s / 8, s / 4, kGreen);
        expect_colour(small, s / 4, s * 5 / 8, s / 4, kYellow);
        expect_colour(small, s + s / 4, s / 4, s / 2, kRed);
        expect_colour(small, s + s / 4, s + s / 4, s / 2, 0);
        // libjpeg's luminance DC quantiser is 16 at quality 50, scaled by 50 / quality.
        EXPECT_EQ(std::pair(first_quantiser(high), first_quantiser(small)),
                  std::pair(low ? 6 : 32, 1));
        // Beta's nameless second block adds its tile to the first one's.
        expect_colour(dir.file("maps/high/Beta.jpg"), q, q, 2 * q, kRed);
        expect_colour(dir.file("maps/high/Beta.jpg"), 3 * t + q, 3 * t + q / 2, q, kGreen);
        QImage beta;
        LoadJPEG(&beta, dir.file("maps/Beta.jpg"));
        EXPECT_EQ(beta.size(), QSize(t, t));

        EXPECT_EQ(std::pair(progress.front(), progress.back()),
                  std::pair(std::pair(0, 71), std::pair(71, 71)));
        EXPECT_EQ(messages(), (std::vector<std::string>{
                                  "cartes\\bad.blp Error: not a readable BLP2 texture",
                                  "cartes\\missing.blp Error",
                                  "Zone name \"../evil\" refused: not a plain file name",
                                  "Zone list: incomplete last block of 3 lines ignored"}));
    }
    // Nothing else is written: no temporary file, nothing outside maps/.
    for (const char* folder : {"maps/high", "maps"})
        EXPECT_EQ(QDir(to_path(dir.file(folder))).entryList(QDir::Files),
                  QStringList({"Alpha.jpg", "Beta.jpg"}));
    EXPECT_FALSE(file_exists(dir.file("evil.jpg")));

    // Images that cannot be saved (no high/ folder) are logged; the run goes on.
    g.errors.clear();
    QDir().mkpath(to_path(dir.file("flat")));
    const GenerationCount count = g.generate_all(dir.file("flat/"), {});
    EXPECT_TRUE(file_exists(dir.file("flat/Alpha.jpg")) && file_exists(dir.file("flat/Beta.jpg")));
    EXPECT_TRUE(count.written == 3 && count.failed == 3);
    EXPECT_EQ(messages().size(), 4u + 3u);
}

TEST_F(Generation, TranslationListAndArchiveList) {
    g.load_translation();
    EXPECT_EQ(g.translation_list.size(), 5u); // the "Sud\" line is gone
    EXPECT_EQ(g.translate_tile("Nord\\A_0_1"), "t01.blp");
    // The upper of two lines that begin with the tile wins, even for a longer tile name; a line
    // without a TAB gives itself.
    g.translation_list = {"Nord\\A_1_10\tlong.blp", "Nord\\A_1_1\tshort.blp", "Nord\\B"};
    EXPECT_EQ(g.translate_tile("Nord\\A_1_1") + "|" + g.translate_tile("Nord\\B"),
              "long.blp|Nord\\B");
    // Without a valid prefix every line goes, without an error line; a list that no archive
    // holds is one error line.
    g.valid_prefixes.clear();
    g.load_translation();
    EXPECT_TRUE(g.translation_list.empty() && g.errors.empty());
    g.translation_file = "autre.trs";
    g.load_translation();
    EXPECT_EQ(messages(), std::vector<std::string>{"cartes\\autre.trs Error"});

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

TEST(GeneratorRoutines, ShortenPath) {
    const std::string path = "0123456789" + std::string(19, 'x') + std::string(31, 'e');
    EXPECT_EQ(shorten_path(path, 55), "0123456789 [...] " + std::string(31, 'e')); // 48 in all
    EXPECT_EQ(shorten_path(path.substr(0, 55), 55), path.substr(0, 55));
    EXPECT_EQ(shorten_path(path, 50).size(), 43u);
}
