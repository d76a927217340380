#include "database/database_list.h"
#include "demo/demo_database.h"
#include "demo/demo_game.h"
#include "foundation/Data.h"
#include "foundation/pqGR32_JPEG.h"
#include "generator/widgets/generate_fich_form.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/G32_ProgressBar.h"
#include "mainwindow/widgets/map.h"
#include "support/demo_install.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"
#include "support/window_input.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <gmock/gmock.h>
#include <map>

using namespace support;

namespace {

// The generator dialog as its opener shows it: the action runs on it, then it is closed.
std::function<void(TForm_generate&)> showing(std::function<void(TForm_generate&)> action) {
    return [action](TForm_generate& dialog) {
        dialog.show();
        action(dialog);
        dialog.Button3Click();
    };
}

QStringList memo_lines(const TForm_generate& dialog) {
    return dialog.MemoDesc->toPlainText().split(QLatin1Char('\n'));
}

const DemoDatabase& demo() {
    static const DemoDatabase db =
        load_demo_description(KARVELO_SOURCE_DIR "/demo/Demo/database.json");
    return db;
}

// The demo game's folder, written once for all the tests with its names in other letter
// cases, or a file in it.
std::string game(const std::string& file = {}) {
    static TempDir dir;
    [[maybe_unused]] static const bool written = [] {
        write_demo_game(demo(), dir.file("Игра"));
        const QString g = to_path(dir.file("Игра/"));
        return QDir(g).rename("Data", "DATA") && QDir(g).rename("VeV.exe", "VEV.EXE") &&
               QDir(g).rename("DATA/textures.mpq", "DATA/Textures.MPQ") &&
               QDir(g).rename("DATA/patch.mpq", "DATA/PATCH.MPQ");
    }();
    return dir.file("Игра/" + file);
}

// The demo installation beside its demo game, with a Wine prefix that knows no game.
class DemoGeneration : public ::testing::Test {
protected:
    void SetUp() override {
        saved_prefix_ = qgetenv("WINEPREFIX");
        qputenv("WINEPREFIX", QFile::encodeName(to_path(dir.file("wine"))));
        quit_flag = false;
        genmap_unusable = false;
        database_list.clear();
        app_path.clear();
        install_demo(dir.path(), "[LANG]=Francais\r\n[DBDB]=Demo\r\n[EDIM]=Demo\r\n[DATU]=4\r\n");
    }
    void TearDown() override {
        genmap_unusable = false;
        saved_prefix_.isNull() ? qunsetenv("WINEPREFIX") : qputenv("WINEPREFIX", saved_prefix_);
    }
    std::unique_ptr<TForm4> start(std::function<void(TForm_generate&)> dialog = {}) {
        auto form = std::make_unique<TForm4>(dir.path());
        form->on_generate_dialog = std::move(dialog);
        form->FormActivate();
        return form;
    }

    SavedGlobals globals;
    ScriptedMessages boxes;
    TempDir dir;
    QByteArray saved_prefix_;
};

} // namespace

TEST_F(DemoGeneration, OfferedByTheLoadItMakesEveryDemoZoneImage) {
    for (const char* folder : {"maps", "maps/high"})
        for (const QString& f : QDir(to_path(dir.file(folder))).entryList({"*.jpg"}))
            QFile::remove(to_path(dir.file(folder)) + "/" + f);
    auto form = start(showing([&](TForm_generate& d) {
        EXPECT_EQ(memo_lines(d),
                  QStringList({to_qstring(get_text(158)), "", to_qstring(get_text(194)), "",
                               to_qstring(get_text(198))}));
        EXPECT_TRUE(from_qstring(d.Edit1->text()) == get_text(155) && !d.Button1->isEnabled());
        std::string initial;
        d.OpenDialog1 = [&](const std::string&, const std::string&, const std::string& i) {
            initial = i;
            return game("VeV.exe");
        };
        d.Edit1Click();
        EXPECT_EQ(initial + "|" + native_path(d.Edit1->text()), "VeV.exe|" + game());
        ASSERT_TRUE(d.Button1->isEnabled());
        d.Button1Click();
        EXPECT_TRUE(d.maps_made && d.Button1->isEnabled() && d.Button3->isEnabled());
        EXPECT_EQ(d.G32_ProgressBar1->Position(), d.G32_ProgressBar1->Max());
    }));
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{message(59)});
    EXPECT_TRUE(rPreference.GPAT == game() && !file_exists(dir.file("error.log")));

    // Every zone image shows the zone's drawn picture, through tiles, archives and JPEG.
    for (const DemoZone& zone : demo().zones) {
        if (zone.record.no_image)
            continue;
        SCOPED_TRACE(zone.record.image_name);
        QImage made;
        LoadJPEG(&made, dir.file("maps/high/" + zone.record.image_name + ".jpg"));
        const QImage drawn = draw_zone_image(zone, 1024).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(made.size(), drawn.size());
        int64_t difference = 0;
        for (int y = 0; y < 1024; ++y)
            for (int x = 0; x < 1024; ++x) {
                const QRgb a = made.pixel(x, y), b = drawn.pixel(x, y);
                difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                              std::abs(qBlue(a) - qBlue(b));
            }
        EXPECT_LT(difference / (1024 * 1024 * 3), 5); // a mirrored tile set differs by 12 or more
    }
}

TEST_F(DemoGeneration, CommandReloadsAfterMakingMapsAndKeepsTheSettings) {
    auto form = start();
    ASSERT_TRUE(boxes.texts().empty());
    // A stored folder without its final separator is passed over for the registry's.
    QDir().mkpath(to_path(dir.file("wine/drive_c")));
    QFile::link(to_path(game()), to_path(dir.file("wine/drive_c/Jeu")));
    write_file_atomic(dir.file("wine/system.reg"), "[Software\\\\Example\\\\Vev] 1\n"
                                                   "\"InstallPath\"=\"C:\\\\JEU\\\\\"\n");
    rPreference.GPAT = game().substr(0, game().size() - 1);
    auto generate = [&](bool add_archive) {
        form->on_generate_dialog = showing([&](TForm_generate& d) {
            EXPECT_EQ(memo_lines(d).front(), to_qstring(get_text(159)));
            EXPECT_EQ(from_qstring(d.Edit1->text()), dir.file("wine/drive_c/Jeu/"));
            if (add_archive) {
                d.OpenDialog1 = [&](const std::string&, const std::string&, const std::string&) {
                    return game("Data/patch.mpq");
                };
                d.Button2Click();
                ASSERT_EQ(d.PathListBox->count(), 3);
                EXPECT_TRUE(d.genmap.archives[0].user && d.genmap.archives[0].exists);
            }
            d.CheckBox1->setChecked(true);
            d.Button1Click();
        });
        form->but_genClick();
    };
    // Unsaved additions: the reload waits for the question's answer; Cancel keeps them.
    form->Memo1->appendPlainText(QStringLiteral("before the reload"));
    form->toggle_tagnew(true);
    boxes.answer({kAnswerCancel});
    generate(true);
    EXPECT_TRUE(form->additions_unsaved && rPreference.LOWD &&
                form->Memo1->toPlainText().contains("before the reload"));
    EXPECT_EQ(rPreference.MPQP, std::vector<std::string>{game("DATA/PATCH.MPQ")});

    // No high-resolution image can be written: the end says how many images failed.
    QDir(to_path(dir.file("maps/high"))).removeRecursively();
    write_file_atomic(dir.file("maps/high"), "");
    boxes.answer({kAnswerNo});
    generate(false);
    EXPECT_TRUE(!form->Memo1->toPlainText().contains("before the reload") &&
                rPreference.MPQP.size() == 1);
    EXPECT_THAT(boxes.texts(), testing::Contains(message(75, "9", "18")));
}

// The bytes of every zone image.
std::map<QString, std::string> zone_images(const std::string& app) {
    std::map<QString, std::string> images;
    for (const char* folder : {"maps/", "maps/high/"})
        for (const QString& f : QDir(to_path(app + folder)).entryList({"*.jpg"}))
            read_file(app + folder + native_path(f), images[folder + f]);
    return images;
}

// Damaged settings leave the dialog inert, until a database with sound ones. During a run,
// another Generate runs nothing, Cancel stops the run, Escape stops it and closes the dialog. A
// game folder without archives finds no tile and fails. Only a whole run changes the images.
TEST_F(DemoGeneration, RunsThatStopOrFailLeaveEveryImageAsItWas) {
    auto form = start();
    ASSERT_TRUE(QDir().mkpath(to_path(dir.file("error.log"))) &&
                QDir().mkpath(to_path(dir.file("bare"))) &&
                write_file_atomic(dir.file("bare/VeV.exe"), "MZ"));
    const std::string init_error = "erreur d'initialisation du Genmap";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"damaged", {init_error, message(82)}}, // the log cannot be written: it is a folder
        {"generate", {message(59)}},
        {"cancel", {}},
        {"escape", {}},
        {"no archive", {message(81), message(82)}}};
    for (const auto& [input, shown] : cases) {
        SCOPED_TRACE(input);
        ScriptedMessages run_boxes;
        const auto before = zone_images(dir.path());
        rPreference.GPAT = input == "no archive" ? dir.file("bare/") : game();
        master_file = dir.file(input == "damaged" ? "absent.loc" : "database/Demo/master.loc");
        TForm_generate d;
        d.show();
        int choosers = 0;
        d.OpenDialog1 = [&](auto&&...) {
            ++choosers;
            return std::string();
        };
        d.Edit1Click();
        // Input queued to the window, as the window system delivers it.
        if (input == "generate") {
            queue_click(d.Button1);
            queue_key(&d, Qt::Key_Return);
        } else if (input == "cancel") {
            queue_click(d.Button3);
        } else if (input == "escape") {
            queue_key(&d, Qt::Key_Escape);
        }
        d.Button1Click(); // damaged settings: only closes
        const bool made = input == "generate";
        EXPECT_EQ(std::tuple(genmap_unusable, choosers, d.maps_made, d.isVisible(),
                             d.Button1->isEnabled(), from_qstring(d.Button3->text())),
                  std::tuple(input == "damaged", input == "damaged" ? 0 : 1, made,
                             input != "escape" && input != "damaged", true, get_text(30)));
        d.Button3Click();
        EXPECT_EQ(run_boxes.texts(), shown);
        if (!made) {
            EXPECT_EQ(zone_images(dir.path()), before);
        }
    }
}

// The game's file chooser as the user fills it: a completion list opens at the first character
// typed, and the rest of the path and Return choose the file.
TEST_F(DemoGeneration, TheFileChooserTakesAPathTypedOverItsCompletionList) {
    auto form = start();
    TForm_generate d;
    d.show();
    ASSERT_FALSE(d.Button1->isEnabled());
    const QString path = to_path(game("VEV.EXE"));
    QPointer<QFileDialog> chooser;
    QLineEdit* name = nullptr;
    const InputSteps input({[&] {
                                chooser =
                                    qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                                if (!chooser)
                                    return false;
                                // The file name field has the focus, its text selected.
                                name = chooser->findChild<QLineEdit*>("fileNameEdit");
                                queue_text(name, path.left(1));
                                return true;
                            },
                            [&] { return name->completer()->popup()->isVisible(); },
                            [&] {
                                queue_text(name, path.mid(1));
                                queue_key(name, Qt::Key_Return);
                                return true;
                            },
                            [&] { return !chooser; }},
                           [&] { chooser->reject(); });
    d.Edit1Click();
    EXPECT_EQ(input.stuck(), 0u);
    EXPECT_EQ(native_path(d.Edit1->text()), game());
    EXPECT_TRUE(d.Button1->isEnabled());
}

// Return or Space typed once a run goes on reaches no control that stops it: the run makes every
// image. A Tab to Cancel, then Space, stops it.
TEST_F(DemoGeneration, AKeyTypedDuringARunStopsItOnlyOnCancel) {
    auto form = start();
    for (const int key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Tab}) {
        SCOPED_TRACE(key);
        ScriptedMessages run_boxes;
        rPreference.GPAT = game();
        TForm_generate d;
        d.show();
        ASSERT_TRUE(d.Button1->isEnabled());
        bool ran = false;
        std::vector<std::function<bool()>> steps{[&] { return ran = !d.Button1->isEnabled(); }};
        if (key == Qt::Key_Tab)
            steps.push_back(tab_to(d.Button3));
        steps.push_back([&d, key] {
            queue_key(&d, key == Qt::Key_Tab ? Qt::Key_Space : key);
            return true;
        });
        const InputSteps input(steps, [&d] { d.Button3Click(); });
        queue_click(d.Button1);
        QElapsedTimer waited;
        waited.start();
        while (!(ran && d.Button1->isEnabled()) && !waited.hasExpired(30000))
            QCoreApplication::processEvents();
        EXPECT_EQ(input.stuck(), 0u);
        EXPECT_EQ(run_boxes.texts(), key == Qt::Key_Tab ? std::vector<std::string>{}
                                                        : std::vector<std::string>{message(59)});
        d.Button3Click();
    }
}
