#include "database/database_list.h"
#include "foundation/errors.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "mainwindow/pref_convert.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/legendeliste.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <random>

namespace {

const std::string kHead = "#fichier autog\xE9n\xE9r\xE9, de pas \xE9"
                          "diter.\r\n[VERS]=1\r\n";

struct Loaded {
    TPreference pref;
    TOutsideSettings outside;
    bool ok = true;
    std::string error;
};

Loaded read_text(const std::string& text) {
    TempDir dir;
    std::string path = dir.file("pref.ini");
    EXPECT_TRUE(write_file_atomic(path, text));
    Loaded r;
    r.ok = read_preferences(path, r.pref, r.outside, &r.error);
    return r;
}

// Every stored value away from its default.
void fill_changed(TPreference& p, TOutsideSettings& o) {
    p.GPAT = "C:\\Jeux", p.VALT = "0123456789ab", p.PSEU = "Gr\xFCn \xE9t\xE9";
    p.MCUR = p.ALFA = p.AVCT = p.AUTO = p.EDIB = p.PRXB = p.LOWD = true;
    p.LOCA = p.WPSU = p.CLVL = p.LIAR = p.SAOM = p.SPOM = false;
    p.LOCR = 3, p.ALFV = 77, p.TIME = 2500, p.LODA = 210, p.LODB = 420, p.LODC = 630;
    p.LODV = 510, p.MAHD = 700, p.DATU = 3, p.DATW = 46000.328125, p.MINN = 12, p.MAXN = 40;
    p.NIVP = 61, p.PRXS = "proxy", p.PRXP = 8080, p.PRXN = "moi", p.PRXM = "s=cr;t", p.HTTP = 0;
    p.STSC = 2, p.SFHE = 640, p.MPQP = {"a.mpq", "", "b c.mpq"};
    o.language = "Deutsch", o.db_name = "Base1", o.edit_db_name = "Base2";
    o.legend_down = o.paths_down = o.side_panel = false, o.tips_down = true;
    o.view_x = -1234, o.view_y = 567, o.zoom = 3500;
    o.window_width = 1024, o.window_height = 700, o.window_top = -8, o.window_left = 1930;
    o.current_continent = p.LOCR;
    o.level_min_text = std::to_string(p.MINN), o.level_max_text = std::to_string(p.MAXN);
}

} // namespace

TEST(Preferences, NoFileOrNoExactVersionLineChangesNothing) {
    Loaded none;
    none.ok = read_preferences(TempDir().file("pref.ini"), none.pref, none.outside, &none.error);
    const std::string defaults = format_preferences(TPreference{}, TOutsideSettings{});
    for (const Loaded& r :
         {none, read_text(""), read_text("#\r\n[VERS]=2\r\n[NIVP]=9"),
          read_text("#\r\n[VERS]=1 \r\n[NIVP]=9"), read_text("[VERS]=1\r\n[NIVP]=9\r\n")}) {
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(format_preferences(r.pref, r.outside), defaults);
    }
}

TEST(Preferences, DefaultFileHasEveryKeyInOrderAndEverySettingReadsBack) {
    TPreference pref;
    pref.MPQP = {"x.mpq", "y.mpq"};
    const std::string expected =
        kHead +
        "[MPQP]=x.mpq\r\n[MPQP]=y.mpq\r\n[PSEU]=\r\n[LANG]=\r\n[LOWD]=False\r\n[GPAT]=\r\n"
        "[VALT]=\r\n[DBDB]=\r\n[PRXS]=\r\n[PRXP]=0\r\n[PRXN]=\r\n[PRXM]=\r\n[PRXB]=False\r\n"
        "[HTTP]=1\r\n[LIAR]=True\r\n[LGNA]=True\r\n[LOCR]=-1\r\n[LOCX]=0\r\n[LOCY]=0\r\n"
        "[LOCZ]=100\r\n[LOCA]=True\r\n[EDIB]=False\r\n[EDIM]=\r\n[CLVL]=True\r\n[TYPS]=False\r\n"
        "[LODA]=200\r\n[LODB]=400\r\n[LODC]=600\r\n[LODV]=500\r\n[MAHD]=600\r\n[AVCT]=False\r\n"
        "[WPSU]=True\r\n[AUTO]=False\r\n[NIVP]=5\r\n[TIME]=0\r\n[MASL]=True\r\n[DATU]=0\r\n"
        "[DATW]=0\r\n[MAPW]=800\r\n[MAPH]=600\r\n[MAPT]=50\r\n[MAPL]=50\r\n[MINN]=0\r\n"
        "[MAXN]=99\r\n[CHEM]=True\r\n[MCUR]=False\r\n[SAOM]=True\r\n[SPOM]=True\r\n[STSC]=1\r\n"
        "[SFHE]=500\r\n[ALFA]=False\r\n[ALFV]=200\r\n";
    EXPECT_EQ(format_preferences(pref, TOutsideSettings{}), expected);

    TOutsideSettings outside;
    fill_changed(pref, outside);
    Loaded r = read_text(format_preferences(pref, outside));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.pref.DATW, pref.DATW);
    r.outside.current_continent = r.pref.LOCR;
    r.outside.level_min_text = std::to_string(r.pref.MINN);
    r.outside.level_max_text = std::to_string(r.pref.MAXN);
    EXPECT_EQ(format_preferences(r.pref, r.outside), format_preferences(pref, outside));
}

TEST(Preferences, BadValueStopsReadingAndKeepsEarlierLines) {
    for (auto [line, reason] :
         {std::pair{"[NIVP]=12a", "'12a' is not a valid integer value"},
          {"[LIAR]=yes", "'yes' is not a valid boolean value"},
          {"[DATW]=46000,5,2", "'46000,5,2' is not a valid floating point value"},
          {"[MAPW]=99999999999", "'99999999999' is not a valid integer value"}}) {
        Loaded r = read_text(kHead + "[LANG]=Deutsch\r\n[MPQP]=a\r\n" + line +
                             "\r\n[DBDB]=Later\r\n[MPQP]=b\r\n");
        EXPECT_FALSE(r.ok) << line;
        EXPECT_EQ(r.error, "prefs error [" + std::string(reason) + "]");
        EXPECT_EQ(r.outside.language + "|" + r.outside.db_name, "Deutsch|");
        EXPECT_EQ(r.pref.MPQP, std::vector<std::string>{"a"});
    }
}

TEST(Preferences, ValueRulesAndIgnoredLines) {
    TOutsideSettings outside; // the level edits left empty write empty values
    outside.level_min_text = outside.level_max_text = "";
    Loaded r =
        read_text(format_preferences(TPreference{}, outside) + "[PSEU]=" + std::string(50, 'n') +
                  "\r\n[DATW]=46000.75\r\n[LIAR]=1\r\n[LOCA]=fAlSe\r\n"
                  "[EDIB]=TRUE\r\n[GPAT]= a=b \r\n[LANG]=\r\n[nivp]=9\r\n [NIVP]=9\r\n"
                  "[NIVP]\r\n[NIVP=9\r\n\r\n[VERS]=7\r\n[ZZZZ]=x\r\n[NIVP]=8\r\n");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(std::tuple(r.pref.MINN, r.pref.MAXN, r.pref.NIVP, r.pref.DATW),
              std::tuple(0, 99, 8, 46000.75));
    EXPECT_EQ(r.outside.language + "|" + r.pref.GPAT, "fran\xE7"
                                                      "ais| a=b ");
    EXPECT_EQ(r.pref.PSEU, std::string(40, 'n'));
    EXPECT_TRUE(r.pref.LIAR && r.pref.EDIB && !r.pref.LOCA);
    EXPECT_EQ(read_text(kHead + "[DATW]=46000,75\r\n").pref.DATW, 46000.75);
}

TEST(Preferences, HandEditedNumbersComeWithinTheRangesOfTheirControlsWhateverTheLineEnds) {
    // MINN MAXN NIVP ALFV TIME LODA LODB LODC LODV MAHD DATU PRXP STSC SFHE (a period out of the
    // list reads as "never")
    const std::pair<std::string, std::vector<int32_t>> cases[] = {
        {"[MINN]=999|[MAXN]=-5|[NIVP]=999|[ALFV]=0|[TIME]=-1|[LODA]=5000|[LODB]=10|[LODC]=0|"
         "[LODV]=1|[MAHD]=5000|[DATU]=9|[PRXP]=-1|[STSC]=4|[SFHE]=2161|[MPQP]=m",
         {0, 99, 70, 40, 0, 1750, 1750, 1750, 20, 1024, 4, 0, 3, 2160}},
        {"[MINN]=80|[MAXN]=20|[NIVP]=0|[ALFV]=999|[TIME]=99000|[LODB]=100|[MAHD]=1|[PRXP]=70000|"
         "[STSC]=-1|[SFHE]=309|[DATU]=-1|[MPQP]=m|[NIVP]=x",
         {20, 80, 1, 255, 60000, 200, 200, 600, 500, 512, 4, 65535, 0, 310}},
    };
    for (const auto& [lines, expected] : cases)
        for (const std::string eol : {"\r\n", "\n", "\r"}) {
            std::string text = "#" + eol + "[VERS]=1" + eol + lines;
            for (size_t at; (at = text.find('|')) != std::string::npos;)
                text.replace(at, 1, eol);
            const TPreference p = read_text(text).pref;
            EXPECT_EQ((std::vector{p.MINN, p.MAXN, p.NIVP, p.ALFV, p.TIME, p.LODA, p.LODB, p.LODC,
                                   p.LODV, p.MAHD, p.DATU, p.PRXP, p.STSC, p.SFHE}),
                      expected)
                << lines;
            EXPECT_EQ(p.MPQP, std::vector<std::string>{"m"});
        }
}

TEST(PrefConvert, AcceptedAndRefusedFormsAndFloatText) {
    EXPECT_EQ(
        std::pair(pref_str_to_int("+5") + pref_str_to_int("-007"), pref_str_to_int("-2147483648")),
        std::pair(-2, INT32_MIN));
    for (const char* bad : {"", "-", "2147483648", " 5", "$10", "1,0"})
        EXPECT_THROW(pref_str_to_int(bad), EConvertError) << bad;
    EXPECT_EQ(pref_str_to_float(" -1,5 ") + pref_str_to_float("1,5E3") + pref_str_to_float(",5"),
              1499.0);
    for (const char* bad : {"", ",", "1.5", "1,2,3", "1e+", "nan", "1e999"})
        EXPECT_THROW(pref_str_to_float(bad), EConvertError) << bad;
    EXPECT_TRUE(pref_str_to_bool("tRUE") && pref_str_to_bool("-3") && pref_str_to_bool("0,5"));
    EXPECT_FALSE(pref_str_to_bool("fALSE") || pref_str_to_bool("0,0"));
    for (const char* bad : {"yes", "", "True ", "1.0"})
        EXPECT_THROW(pref_str_to_bool(bad), EConvertError) << bad;
    // Up to 15 significant digits, with the decimal comma.
    EXPECT_EQ(pref_float_to_str(0.0) + " " + pref_float_to_str(std::nan("")), "0 0");
    EXPECT_EQ(pref_float_to_str(1.0 / 3) + " " + pref_float_to_str(0.1 + 0.2),
              "0,333333333333333 0,3");
    EXPECT_EQ(pref_float_to_str(0.00001) + " " + pref_float_to_str(0.000001) + " " +
                  pref_float_to_str(1.5e20),
              "0,00001 1E-6 1,5E20");
}

TEST(Preferences, LineEndsInsideValuesCannotAddSettings) {
    TPreference pref;
    pref.PSEU = "me\r\n[NIVP]=66";
    pref.MPQP = {"a\rb"};
    Loaded r = read_text(format_preferences(pref, TOutsideSettings{}));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(std::tuple(r.pref.NIVP, r.pref.PSEU, r.pref.MPQP),
              std::tuple(5, "me  [NIVP]=66", std::vector<std::string>{"a b"}));
}

TEST(Preferences, FailedWriteKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("pref.ini");
    ASSERT_TRUE(write_preferences(path, TPreference{}, TOutsideSettings{}));
    std::string before, after;
    ASSERT_TRUE(read_file(path, before));
    TPreference longer;
    longer.MPQP.assign(100, std::string(100, 'x'));
    {
        FileSizeLimit limit(1000);
        EXPECT_FALSE(write_preferences(path, longer, TOutsideSettings{}));
    }
    ASSERT_TRUE(read_file(path, after));
    EXPECT_EQ(after, before);
}

TEST(Preferences, HostileBytesNeverCrash) {
    TPreference pref;
    TOutsideSettings outside;
    fill_changed(pref, outside);
    const std::string full = format_preferences(pref, outside);
    const size_t lang_end = full.find("[LANG]=Deutsch\r\n") + 16;

    // Every truncation: at most an error box, and the complete lines before the cut apply.
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        Loaded r = read_text(full.substr(0, cut));
        if (!r.ok) {
            EXPECT_EQ(r.error.rfind("prefs error [", 0), 0u);
        }
        if (cut >= lang_end) {
            EXPECT_EQ(r.outside.language, "Deutsch") << cut;
        }
    }

    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        std::string junk = full;
        for (int i = 0; i < 6; ++i)
            junk[rng() % junk.size()] = static_cast<char>(i % 2 ? "[]=\r\n,.-"[rng() % 8] : rng());
        Loaded r = read_text(junk);
        EXPECT_TRUE(r.ok || r.error.rfind("prefs error [", 0) == 0);
    }

    std::string nul_value("[GPAT]=a\0b", 10);
    EXPECT_EQ(read_text(kHead + nul_value).pref.GPAT, std::string("a\0b", 3));

    Loaded huge = read_text(kHead + "[NIVP]=" + std::string(max_pref_size - 100, '\x01'));
    EXPECT_TRUE(!huge.ok && huge.error.size() < 200 &&
                huge.error.find('\x01') == std::string::npos);

    // A file of the limit is read whole; one byte more and its last line is left out.
    std::string limit = kHead + "[NIVP]=9\r\n[ZZZZ]=\r\n[NIVP]=8";
    limit.insert(limit.size() - 10, max_pref_size - limit.size(), 'z');
    for (const std::string& text : {limit, limit + "\r"}) {
        const Loaded r = read_text(text);
        EXPECT_EQ(std::tuple(r.ok, r.pref.NIVP, r.error.find("larger") != std::string::npos),
                  text == limit ? std::tuple(true, 8, false) : std::tuple(false, 9, true));
    }
}

// A nickname read from pref.ini goes back whole whatever bytes it holds; a character typed anew
// that a line cannot hold is refused, one the nickname held is not.
TEST(PreferencesDialog, TheNicknameReadGoesBackWholeAndOnlyCharactersTypedAnewAreRefused) {
    SavedGlobals globals;
    ScriptedMessages boxes;
    res_path = KARVELO_SOURCE_DIR "/res/";
    language = "English";
    ASSERT_TRUE(load_ressource());
    const std::string nickname("Gr\x81n\t\x9D\0!", 8);
    ASSERT_EQ(read_text(kHead + "[PSEU]=" + nickname + "\r\n").pref.PSEU, nickname);
    rPreference.PSEU = nickname;
    database_list.clear();
    std::vector<std::unique_ptr<rCateg>> categories;
    for (const QString& typed : {QString(), QStringLiteral("\t\u0081"), QStringLiteral("\u008F")}) {
        const std::string before = rPreference.PSEU;
        TForm3 dialog(&categories, nullptr, nullptr);
        dialog.FormShow();
        dialog.Edit1->insert(typed);
        dialog.Button1Click();
        EXPECT_EQ(dialog.result(), typed.size() == 1 ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_EQ(dialog.Edit1->text(), to_qstring(before) + typed);
    }
    EXPECT_EQ(rPreference.PSEU, nickname + "\t\x81");
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{support::message(73, "U+008F")});
}

// The dialog on a real window: the gauges at their minimum, ticks on categories as grey as the
// legend's background, and the database radio buttons with a name in another script.
TEST(PreferencesDialog, GaugesLegendTicksAndDatabaseChoice) {
    SavedGlobals globals;
    rPreference.LODA = rPreference.LODB = rPreference.LODC = rPreference.LODV = 20;
    rPreference.MAHD = 512;
    std::vector<std::unique_ptr<rCateg>> categories;
    for (TColor grey : {0xA0A0A0, 0x606060})
        for (bool shown : {true, false}) {
            categories.push_back(std::make_unique<rCateg>());
            categories.back()->name = std::to_string(grey) + (shown ? "shown" : "hidden");
            categories.back()->colour = grey, categories.back()->shown = shown;
        }
    database_list.clear();
    for (const char* name : {"База", "Other", "Old"}) {
        database_list.push_back(std::make_unique<rdbavailable>());
        database_list.back()->folder = name;
        database_list.back()->version_ok = std::string(name) != "Old";
        database_list.back()->is_current = std::string(name) == "База";
    }
    TForm3 dialog(&categories, nullptr, nullptr);
    dialog.FormShow();
    dialog.show();
    dialog.PageControl1->setCurrentWidget(dialog.TabSheet2);
    const auto* grid = dialog.findChild<QGroupBox*>("GroupBox7")->findChild<QGridLayout*>();
    for (int row = 0; row < 5; ++row) // each gauge's zoom beside it
        EXPECT_EQ(
            static_cast<QLabel*>(grid->itemAtPosition(row, 2)->widget())->text(),
            QString::number(static_cast<QSlider*>(grid->itemAtPosition(row, 1)->widget())->value() *
                            (row < 4 ? 10 : 1)));

    dialog.PageControl1->setCurrentWidget(dialog.TabSheet3);
    const QImage shot = dialog.Tree_leg->viewport()->grab().toImage();
    const int box = dialog.style()->pixelMetric(QStyle::PM_IndicatorWidth) + 6;
    for (int i = 0; i < dialog.Tree_leg->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = dialog.Tree_leg->topLevelItem(i);
        const QRect rect = dialog.Tree_leg->visualItemRect(item);
        int dark = 0; // the tick in the standard text colour
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x < rect.left() + box; ++x)
                dark += qGray(shot.pixel(x, y)) < 60;
        EXPECT_EQ(dark > 0, item->checkState(0) == Qt::Checked) << item->text(0).toStdString();
    }

    QTreeWidget* tree = dialog.dbTree;
    const auto checked = [tree](int i) {
        return tree->topLevelItem(i)->checkState(0) == Qt::Checked;
    };
    EXPECT_EQ(tree->topLevelItem(0)->text(0) + tree->topLevelItem(2)->text(0),
              QString::fromUtf8("База[Incorrect_version]Old"));
    EXPECT_TRUE(checked(0));
    tree->topLevelItem(1)->setCheckState(0, Qt::Checked);
    tree->topLevelItem(1)->setCheckState(0, Qt::Unchecked); // a radio button stays checked
    EXPECT_TRUE(!checked(0) && checked(1) && !checked(2) &&
                !(tree->topLevelItem(2)->flags() & Qt::ItemIsUserCheckable));
    db_name = "База";
    dialog.Button1Click();
    EXPECT_TRUE(dialog.reload && db_name == "Other");
    database_list.clear();
}
