#include "foundation/pqGR32_JPEG.h"
#include "generator/map_generator.h"
#include "support/blp_writer.h"
#include "support/generator_sections.h"
#include "support/mpq_writer.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <squish.h>

using namespace support;

namespace {

// A DXT1 tile of 256 x 256: the top half in one colour, the bottom half in another.
std::string two_colour_tile(QRgb top, QRgb bottom) {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const QRgb c = y < 128 ? top : bottom;
            rgba.insert(rgba.end(), {uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)), 255});
        }
    return blp2_file(blp2_dxt(rgba, 256, 256, squish::kDxt1, 0));
}

// Every pixel of the rectangle within `tolerance` of the colour (the images are JPEG).
void expect_colour(const QImage& image, QRect area, QRgb colour, const char* what) {
    int worst = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(colour)),
                              std::abs(qGreen(p) - qGreen(colour)),
                              std::abs(qBlue(p) - qBlue(colour))});
        }
    EXPECT_LE(worst, 12) << what;
}

QImage load(const std::string& file) {
    QImage image;
    LoadJPEG(&image, file);
    return image;
}

std::string settings(const std::vector<std::string>& valid, const std::vector<std::string>& paths) {
    return generator_settings_section(
        {"Software\\Example\\Vev", "InstallPath", "liste.trs", "cartes\\", valid, paths});
}

constexpr QRgb kGreen = 0xFF00FF00, kYellow = 0xFFFFFF00, kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

// A game folder with two archives: patch.mpq before base.mpq in the settings, and a third
// that does not exist.
class Generation : public ::testing::Test {
protected:
    TempDir dir;
    MapGenerator g;
    std::string game = dir.file("game/");

    void SetUp() override {
        QDir().mkpath(to_path(game + "Data"));
        QDir().mkpath(to_path(dir.file("maps/high")));
        ASSERT_TRUE(write_raw(game + "VeV.exe", "MZ"));
        const std::string list = "Nord\\A_0_0\tt00.blp\r\n"
                                 "Nord\\A_0_1\tt01.blp\r\n"
                                 "Nord\\A_1_1\tmissing.blp\r\n"
                                 "Nord\\A_2_2\t\r\n"
                                 "Sud\\A_3_3\tt00.blp\r\n";
        ASSERT_TRUE(write_mpq(game + "Data/base.mpq",
                              {{"cartes\\liste.trs", list},
                               {"cartes\\t00.blp", two_colour_tile(kGreen, kYellow)},
                               {"cartes\\t01.blp", two_colour_tile(kBlue, kBlue)}}));
        ASSERT_TRUE(
            write_mpq(game + "Data/patch.mpq", {{"cartes\\t01.blp", two_colour_tile(kRed, kRed)}}));
        GeneratorZoneSpec alpha{"Alpha", {}};
        alpha.tiles[0] = "Nord\\A_0_0";
        alpha.tiles[1] = "Nord\\A_0_1";
        alpha.tiles[5] = "Nord\\A_1_1";
        alpha.tiles[10] = "Nord\\A_2_2";
        alpha.tiles[15] = "Sud\\A_3_3";
        GeneratorZoneSpec evil{"../evil", {}};
        evil.tiles[0] = "Nord\\A_0_0";
        GeneratorZoneSpec beta{"Beta", {}};
        beta.tiles[15] = "Nord\\A_0_0";
        std::string zones = generator_zone_section({alpha, evil, beta});
        zones += "[name]Gamma\r\n[none]\r\n[none]\r\n"; // an incomplete last block
        ASSERT_TRUE(ContainerWriter()
                        .section(5, settings({"Nord\\"}, {"Data\\patch.mpq", "Data\\base.mpq",
                                                          "Data\\absent.mpq"}))
                        .section(6, zones)
                        .write(dir.file("master.loc")));
        ASSERT_TRUE(g.init_genmap(dir.file("master.loc")));
        ASSERT_TRUE(g.find_game_folder(game, "<none>"));
        g.refresh_paths();
    }

    std::vector<std::pair<int, int>> run(bool low_definition, const std::string& maps) {
        std::vector<std::pair<int, int>> progress;
        GenerationOptions options;
        options.low_definition = low_definition;
        options.progress = [&](int position, int max) { progress.push_back({position, max}); };
        g.load_translation();
        g.generate_all(maps, options);
        return progress;
    }

    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        static const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d:       "));
        for (const std::string& line : g.errors) {
            EXPECT_TRUE(stamp.match(QString::fromLatin1(line.c_str())).hasMatch()) << line;
            out.push_back(line.substr(16));
        }
        return out;
    }
};

} // namespace

TEST_F(Generation, BuildsBothImagesOfEveryWholeBlock) {
    for (bool low : {false, true}) {
        SCOPED_TRACE(low ? "low definition" : "high definition");
        g.errors.clear();
        const auto progress = run(low, dir.file("maps/"));
        const int t = low ? 128 : 256;
        const QImage high = load(dir.file("maps/high/Alpha.jpg"));
        const QImage small = load(dir.file("maps/Alpha.jpg"));
        ASSERT_EQ(high.size(), QSize(4 * t, 4 * t));
        ASSERT_EQ(small.size(), QSize(t, t));
        // Cell (0, 0) upright; cell (0, 1) from the patch archive, which stands first.
        const int q = t / 4; // a quarter cell
        expect_colour(high, QRect(q, q / 2, 2 * q, q), kGreen, "top of cell 0,0");
        expect_colour(high, QRect(q, 2 * q + q / 2, 2 * q, q), kYellow, "bottom of cell 0,0");
        expect_colour(high, QRect(t + q, q, 2 * q, 2 * q), kRed, "cell 0,1");
        // Without tile: none given, a missing file, an empty translation, a wrong prefix.
        for (QPoint cell : {QPoint(2, 0), QPoint(1, 1), QPoint(2, 2), QPoint(3, 3)})
            expect_colour(high, QRect(cell * t + QPoint(q, q), QSize(2 * q, 2 * q)), 0, "black");
        // The small image: a quarter as wide.
        const int s = t / 4;
        expect_colour(small, QRect(s / 4, s / 8, s / 2, s / 4), kGreen, "small top of cell 0,0");
        expect_colour(small, QRect(s / 4, s * 5 / 8, s / 2, s / 4), kYellow, "small bottom");
        expect_colour(small, QRect(s + s / 4, s / 4, s / 2, s / 2), kRed, "small cell 0,1");
        expect_colour(small, QRect(s + s / 4, s + s / 4, s / 2, s / 2), 0, "small black");

        EXPECT_EQ(load(dir.file("maps/high/Beta.jpg")).size(), QSize(4 * t, 4 * t));
        EXPECT_EQ(progress.front(), std::make_pair(0, 54));
        EXPECT_EQ(progress.back(), std::make_pair(54, 54));
        EXPECT_EQ(messages(), (std::vector<std::string>{
                                  "cartes\\missing.blp Error",
                                  "Zone name \"../evil\" refused: not a plain file name",
                                  "Zone list: incomplete last block of 3 lines ignored"}));
    }
    // Nothing else is written: no temporary file, nothing outside maps/.
    EXPECT_EQ(QDir(to_path(dir.file("maps/high"))).entryList(QDir::Files),
              QStringList({"Alpha.jpg", "Beta.jpg"}));
    EXPECT_EQ(QDir(to_path(dir.file("maps"))).entryList(QDir::Files),
              QStringList({"Alpha.jpg", "Beta.jpg"}));
    EXPECT_FALSE(file_exists(dir.file("evil.jpg")));

    // Images that cannot be saved are logged; the run goes on with the next image and zone.
    g.errors.clear();
    QDir().mkpath(to_path(dir.file("flat")));
    run(false, dir.file("flat/"));
    EXPECT_TRUE(file_exists(dir.file("flat/Alpha.jpg")));
    EXPECT_TRUE(file_exists(dir.file("flat/Beta.jpg")));
    const auto lines = messages();
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [](const std::string& l) { return l.find("high/") != std::string::npos; }),
        2);
}

TEST_F(Generation, TranslationListIsFilteredByTheValidPrefixes) {
    g.load_translation();
    EXPECT_EQ(g.translation_list.size(), 4u); // the "Sud\" line is gone
    EXPECT_EQ(g.translate_tile("Nord\\A_0_1"), "t01.blp");
    EXPECT_EQ(g.translate_tile("Nord\\A_2_2"), "");
    EXPECT_EQ(g.translate_tile("Sud\\A_3_3"), "");
    EXPECT_EQ(g.translate_tile(""), "");

    // The upper of two lines that begin with the tile wins, even for a longer tile name; a line
    // without a TAB gives itself.
    g.translation_list = {"Nord\\A_1_10\tlong.blp", "Nord\\A_1_1\tshort.blp", "Nord\\B"};
    EXPECT_EQ(g.translate_tile("Nord\\A_1_1"), "long.blp");
    EXPECT_EQ(g.translate_tile("Nord\\B"), "Nord\\B");

    // Without any valid prefix every line goes, without an error line.
    g.valid_prefixes.clear();
    g.load_translation();
    EXPECT_TRUE(g.translation_list.empty());
    EXPECT_TRUE(g.errors.empty());

    // A translation list that no archive holds is one error line.
    g.translation_file = "autre.trs";
    g.load_translation();
    EXPECT_EQ(messages(), std::vector<std::string>{"cartes\\autre.trs Error"});
}

TEST_F(Generation, ArchiveListKeepsUserEntriesFirstInTheirOrder) {
    auto full_paths = [&] {
        std::vector<std::string> out;
        for (const rMpqPath& e : g.archives)
            out.push_back(e.full_path + (e.exists ? "" : " (missing)") + (e.user ? " (user)" : ""));
        return out;
    };
    const std::string d = game + "Data/";
    EXPECT_EQ(full_paths(), (std::vector<std::string>{d + "patch.mpq", d + "base.mpq",
                                                      d + "absent.mpq (missing)"}));
    g.add_user_paths({d + "base.mpq", dir.file("mine.mpq")});
    g.refresh_paths();
    EXPECT_EQ(full_paths(), (std::vector<std::string>{
                                d + "base.mpq (user)", dir.file("mine.mpq") + " (missing) (user)",
                                d + "patch.mpq", d + "base.mpq", d + "absent.mpq (missing)"}));
    EXPECT_FALSE(g.move_up(0)); // the first entry
    EXPECT_FALSE(g.move_up(2)); // a default entry
    EXPECT_TRUE(g.move_up(1));
    EXPECT_EQ(g.user_paths(), (std::vector<std::string>{dir.file("mine.mpq"), d + "base.mpq"}));

    // The default entries follow the game folder.
    g.game_folder = dir.file("elsewhere/");
    g.refresh_paths();
    EXPECT_EQ(g.archives[2].full_path, dir.file("elsewhere/Data/patch.mpq"));
    EXPECT_FALSE(g.archives[2].exists);

    g.remove_user_entries();
    EXPECT_TRUE(g.user_paths().empty());
    EXPECT_EQ(g.archives.size(), 3u);
}

TEST(GeneratorSettings, ReadsSectionsFiveAndSix) {
    TempDir dir;
    const std::string zones = generator_zone_section({{"Alpha", {}}});
    ContainerWriter()
        .section(5, "[K]\r\n[REGV]=Path\r\n[LIST]=liste.trs\r\n[ROOT]=cartes\\\r\n"
                    "[VALI]=Nord\\\r\n[vali]=lower\r\n[PATH]=Data\\a.mpq\r\nnoise\r\n"
                    "[VALI]=Sud\\\r\n")
        .section(6, zones)
        .write(dir.file("good.loc"));
    MapGenerator g;
    g.game_folder = "/game/";
    ASSERT_TRUE(g.init_genmap(dir.file("good.loc")));
    EXPECT_EQ(g.registry_key, "");
    EXPECT_EQ(g.registry_value, "Path");
    EXPECT_EQ(g.translation_file, "liste.trs");
    EXPECT_EQ(g.archive_prefix, "cartes\\");
    EXPECT_EQ(g.valid_prefixes, (std::vector<std::string>{"Nord\\", "Sud\\"}));
    ASSERT_EQ(g.archives.size(), 1u);
    EXPECT_EQ(g.archives[0].relative_path, "Data\\a.mpq");
    EXPECT_EQ(g.archives[0].full_path, "/game/Data/a.mpq");
    EXPECT_EQ(g.zone_list, split_lines(zones));
    EXPECT_TRUE(g.errors.empty());

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

TEST(GeneratorSettings, GameFolderFromThePreferencesOrTheRegistry) {
    TempDir dir;
    const std::string prefix = dir.file("wine/");
    QDir().mkpath(to_path(prefix + "drive_c/Jeux/Vev"));
    write_raw(prefix + "drive_c/Jeux/Vev/VeV.exe", "MZ");
    write_raw(prefix + "system.reg", "WINE REGISTRY Version 2\n\n[Software\\\\Example\\\\Vev] 1\n"
                                     "\"InstallPath\"=\"C:\\\\Jeux\\\\Vev\\\\\"\n");
    const QByteArray saved = qgetenv("WINEPREFIX");
    qputenv("WINEPREFIX", QFile::encodeName(to_path(prefix)));
    MapGenerator g;
    g.registry_key = "Software\\Example\\Vev";
    g.registry_value = "InstallPath";
    const std::string installed = prefix + "drive_c/Jeux/Vev/";
    // A stored folder that holds the game wins; without its final separator it never does.
    EXPECT_TRUE(g.find_game_folder(dir.file("wine/drive_c/Jeux/Vev/"), "<none>"));
    EXPECT_TRUE(g.find_game_folder(dir.file("wine/drive_c/Jeux/Vev"), "<none>"));
    EXPECT_EQ(g.game_folder, installed);
    EXPECT_TRUE(g.find_game_folder("", "<none>"));
    g.registry_value = "Other";
    EXPECT_FALSE(g.find_game_folder(dir.file("nowhere/"), "<none>"));
    EXPECT_EQ(g.game_folder, "<none>");
    saved.isNull() ? qunsetenv("WINEPREFIX") : qputenv("WINEPREFIX", saved);
}

TEST(GeneratorRoutines, ShortenPathAndCopyAfterChar) {
    const std::string path = "0123456789" + std::string(19, 'x') + std::string(31, 'e');
    EXPECT_EQ(shorten_path(path, 55), "0123456789 [...] " + std::string(31, 'e'));
    EXPECT_EQ(shorten_path(path, 55).size(), 48u);
    EXPECT_EQ(shorten_path(path.substr(0, 55), 55), path.substr(0, 55));
    EXPECT_EQ(shorten_path(path, 50).size(), 43u);
    EXPECT_EQ(copy_after_char("a\tb\tc", '\t'), "b\tc");
    EXPECT_EQ(copy_after_char("abc", '\t'), "abc");
    EXPECT_EQ(copy_after_char("abc\t", '\t'), "");
}

TEST(GeneratorRoutines, ErrorLogLinesEndWithCrLf) {
    TempDir dir;
    MapGenerator g;
    g.log_error("");
    g.log_error("one");
    g.log_error("two");
    ASSERT_EQ(g.errors.size(), 2u);
    write_raw(dir.file("error.log"), "an older log, replaced");
    ASSERT_TRUE(g.write_error_log(dir.file("error.log")));
    std::string text;
    read_file(dir.file("error.log"), text);
    EXPECT_EQ(text, g.errors[0] + "\r\n" + g.errors[1] + "\r\n");
}
