#include "database/database_list.h"
#include "demo/demo_database.h"
#include "foundation/func_karvo.h"
#include "foundation/map_data.h"
#include "generator/map_generator.h"
#include "mainwindow/preferences.h"
#include "mainwindow/startup.h"
#include "mainwindow/termination_signals.h"
#include "mainwindow/widgets/fic_firstinfo.h"
#include "platform/registry.h"
#include "support/dialog_answer.h"
#include "support/fifo.h"
#include "support/form4_points.h"
#include "support/section_writer.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListWidget>
#include <QLockFile>
#include <QMenu>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScreen>
#include <QSysInfo>
#include <QThread>
#include <QToolButton>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

using namespace support;

namespace {

// Fails on any dialog that opens, and closes it.
std::function<void(QWidget*)> no_dialog() {
    return [](QWidget* w) {
        ADD_FAILURE() << "unexpected dialog";
        w->close();
    };
}

// Picks a language and a database in the first-run dialog and closes it.
std::function<void(QWidget*)> choose(const QString& lang, const QString& database) {
    return [lang, database](QWidget* w) {
        auto* d = qobject_cast<TForm1*>(w);
        ASSERT_NE(d, nullptr);
        d->ComboBox1->setCurrentIndex(d->ComboBox1->findText(lang));
        for (int i = 0; i < d->ListBox2->count(); ++i)
            if (d->ListBox2->item(i)->text().startsWith(database))
                d->ListBox2->setCurrentRow(i);
        d->Button1Click();
    };
}

class StartUp : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override {
        quit_flag = false;
        database_list.clear();
        selected_database = nullptr;
        for (std::string* name : {&language, &db_name, &edit_db_name, &app_path})
            name->clear();
        copy_program_files(dir.path());
    }
    void TearDown() override { quit_flag = false; }
    // The complete demo database "Demo", as the installation ships it.
    void make_demo() {
        write_demo_installation(
            load_demo_description(KARVELO_SOURCE_DIR "/demo/Demo/database.json"), dir.path());
    }
    std::string pref_ini() { return file_text(dir.file("pref.ini")); }
};

} // namespace

TEST_F(StartUp, FirstStartAsksThenSecondStartRestores) {
    make_demo();
    std::string first_id;
    {
        ScriptedMessages boxes;
        TForm4 form(dir.path());
        EXPECT_TRUE(form.first_activation && !form.FormCloseQuery());
        EXPECT_EQ(rPreference.VALT.size(), 12u);
        first_id = rPreference.VALT;
        EXPECT_FALSE(form.site1->isEnabled()); // no language yet, so no links
        form.on_show_update = [](TForm4&) {};
        DialogAnswer answer(choose("English", "Demo"));
        form.FormActivate();
        EXPECT_EQ(language + "|" + db_name + "|" + std::to_string(answer.seen()), "English|Demo|1");
        ASSERT_NE(selected_database, nullptr);
        EXPECT_FALSE(form.first_activation || quit_flag || form.feedback_lines.empty());
        // The links follow the language chosen.
        EXPECT_TRUE(form.site1->isEnabled() && form.site1->menu()->actions().size() == 2);
        // The default period checks for updates at every start.
        EXPECT_EQ(form.update_dialogs_shown, 1);
        // The database menu has its item, checked.
        ASSERT_EQ(form.menu_db->actions().size(), 1);
        EXPECT_TRUE(form.menu_db->actions()[0]->isChecked() && boxes.texts().empty());
        form.zoom = 777;
        // A logout or a kill saves what a close keeps, without asking for a nickname.
        find_point(form.points_tree, "Menthe sauvage")->item()->from_master = false;
        form.toggle_tagnew(true);
        form.save_on_session_end();
        EXPECT_TRUE(answer.seen() == 1 && !form.additions_unsaved);
        const std::string additions = file_text(dir.file("ajouts/Vev_ajouts_Demo.txt"));
        EXPECT_NE(additions.find("-Anonymous\r\n"), std::string::npos);
        QFile::remove(to_path(dir.file("ajouts/Vev_ajouts_Demo.txt")));
        EXPECT_NE(pref_ini().find("[LOCZ]=777\r\n"), std::string::npos);
        EXPECT_TRUE(form.FormCloseQuery());
        // Activating again repeats nothing.
        form.FormActivate();
        EXPECT_EQ(form.update_dialogs_shown, 1);
    }
    for (const char* line : {"[LANG]=English\r\n", "[DBDB]=Demo\r\n", "[LOCZ]=777\r\n"})
        EXPECT_NE(pref_ini().find(line), std::string::npos) << line;
    // Second start: nothing asked, the same names and id.
    language.clear();
    db_name.clear();
    rPreference.DATU = 0;
    {
        ScriptedMessages boxes;
        TForm4 form(dir.path());
        EXPECT_TRUE(rPreference.VALT == first_id && form.zoom == 777);
        rPreference.DATU = 4;
        rPreference.DATW = now_datetime() - 1;
        DialogAnswer unexpected(no_dialog());
        form.FormActivate();
        EXPECT_EQ(unexpected.seen() + form.update_dialogs_shown, 0);
        EXPECT_EQ(language + "|" + db_name, "English|Demo");
    }
}

TEST_F(StartUp, StartsThatCannotGoOnSayWhyAndEnd) {
    // Before the language file is read, boxes have built-in texts that name the file at fault.
    const std::string icons = dir.file("data/icon_a.bmp");
    ASSERT_TRUE(QFile::remove(to_path(icons)));
    ASSERT_TRUE(QDir().mkpath(to_path(dir.file("pref.ini")))); // cannot be written
    const std::vector<std::string> no_database = {
        "Impossible de charger les ic\xF4nes " + icons + ".", "[DataBase Error][Program Quit]",
        "Impossible d'enregistrer les pr\xE9"
        "f\xE9rences."};
    // Without any language folder the first-run dialog could not be left: the start-up ends.
    const std::vector<std::string> no_language = {
        no_database[0],
        format_text("Les fichiers de langue manquent : le dossier %1 ne contient aucune langue.%%"
                    "%0va se fermer.",
                    dir.file("res/"), "")};
    for (const auto* expected : {&no_database, &no_language}) {
        if (expected == &no_language) {
            make_demo();
            ASSERT_TRUE(QDir(to_path(dir.file("pref.ini"))).removeRecursively());
            ASSERT_TRUE(QDir(to_path(dir.file("res"))).removeRecursively());
        }
        ScriptedMessages boxes;
        {
            TForm4 form(dir.path());
            DialogAnswer unexpected(no_dialog());
            form.FormActivate();
            EXPECT_EQ(unexpected.seen() + form.update_dialogs_shown, 0);
            EXPECT_EQ(language, "Francais");
            EXPECT_TRUE(quit_flag && !form.first_activation && form.FormCloseQuery());
        }
        EXPECT_EQ(boxes.texts(), *expected);
        quit_flag = false;
        language.clear();
    }
    EXPECT_NE(pref_ini().find("[DBDB]=Francais\r\n"), std::string::npos);
    EXPECT_TRUE(QDir(to_path(dir.file("maps/high"))).exists() &&
                QDir(to_path(dir.file("ajouts"))).exists());
}

TEST_F(StartUp, WrongVersionIsOfferedThenRefused) {
    // A database whose master.loc has only its version word.
    const std::string folder = dir.file("database/Ancienne");
    QDir().mkpath(to_path(folder));
    ASSERT_TRUE(ContainerWriter().version(1061).write(folder + "/master.loc"));
    ASSERT_TRUE(write_scrambled_list(folder + "/url.bin", url_lines()));
    ASSERT_TRUE(write_file_atomic(dir.file("pref.ini"),
                                  "; prefs\r\n[VERS]=1\r\n[LANG]=Francais\r\n[DBDB]=Ancienne\r\n"));
    ScriptedMessages boxes;
    TForm4 form(dir.path());
    DialogAnswer answer(choose("Francais", "Ancienne"));
    form.FormActivate();
    // Soft check: the name is emptied and the first-run dialog offers the list.
    EXPECT_TRUE(answer.seen() == 1 && quit_flag);
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{"[DataBase Error][Incorrect_version]",
                                                       "[DataBase Error][Incorrect_version]",
                                                       "[DataBase Error][Program Quit]"}));
    EXPECT_TRUE(form.menu_db->actions().isEmpty());
}

TEST_F(StartUp, WindowRectangleSurvivesARestartAndANarrowWindowHidesTheSidePanel) {
    ScriptedMessages boxes;
    QRect placed;
    {
        TForm4 form(dir.path());
        form.show();
        QApplication::processEvents();
        form.resize(640, 470);
        form.move(130, 90);
        QApplication::processEvents();
        placed = form.frameGeometry();
        form.first_activation = false;
        ASSERT_TRUE(form.close());
    }
    for (int start = 0; start < 2; ++start) {
        TForm4 form(dir.path());
        form.show();
        QApplication::processEvents();
        EXPECT_EQ(form.frameGeometry(), placed);
        form.first_activation = false;
        form.close();
    }
    // Hand-edited: wider than the screen, exactly as wide. A place partly on screen is used as it
    // is; one wholly off every screen comes back onto the primary one. View values come back
    // within what the map view can move. A bad line stops the reading after a box.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (auto [place, kept] :
         {std::pair{"[MAPT]=-300\r\n", true}, {"[MAPT]=5000\r\n[MAPL]=5000\r\n", false}}) {
        ASSERT_TRUE(write_file_atomic(
            dir.file("pref.ini"), "; prefs\r\n[VERS]=1\r\n[MAPW]=20000\r\n" + std::string(place) +
                                      "[LOCX]=-2147483648\r\n[LOCZ]=0\r\n"
                                      "[LODA]=beaucoup\r\n[LODB]=123\r\n"));
        TForm4 form(dir.path());
        EXPECT_EQ(boxes.texts().back().rfind("prefs error [", 0), 0u);
        EXPECT_EQ(
            std::tuple(form.view_offset.x(), form.zoom, rPreference.LODB, form.width()),
            std::tuple(-(1 << 28), 20, 400, QGuiApplication::primaryScreen()->size().width()));
        EXPECT_TRUE(screen.intersects(QRect(form.pos(), form.size())) &&
                    (!kept || form.y() == -300))
            << place;
    }
    TForm4 form(dir.path());
    form.show(); // the save and send buttons are hidden at first
    EXPECT_FALSE(form.but_sav->isVisible() || form.but_mail->isVisible());
    form.but_liste1->setChecked(true);
    // Narrow, it goes and its button comes up; wide again, it stays away.
    for (auto [width, panel] : {std::pair{800, true}, {290, false}, {800, false}}) {
        form.resize(width, 600);
        form.update_list_panel();
        EXPECT_TRUE(form.side_panel == panel && form.but_liste1->isChecked() == panel) << width;
    }
}

// Only a live copy of the program of this folder holds the lock; what a crash, a copied folder
// or anything else left is taken over.
TEST_F(StartUp, OnlyALiveCopyOfThisFolderHoldsTheLock) {
    // Programs of this folder and of another, and an ended one.
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), to_path(dir.file("sleep"))));
    QProcess run[3];
    std::string id[3];
    const QString programs[] = {to_path(dir.file("sleep")), "/bin/sleep", "/bin/true"};
    for (int i = 0; i < 3; ++i) {
        run[i].start(programs[i], {QStringLiteral("60")});
        ASSERT_TRUE(run[i].waitForStarted());
        id[i] = std::to_string(run[i].processId());
    }
    run[2].waitForFinished();
    const std::string host = QSysInfo::machineHostName().toStdString();
    const auto lock_of = [&](int i, const std::string& on) {
        return id[i] + "\nvevkarvelo\n" + on + "\n";
    };
    const std::string held = lock_of(0, host), path = dir.file(kLockFileName);
    // Taken over: empty, garbled, a dead program's, another folder's, one byte too long, a fifo
    // (no lock to wait on). Held: a live program's of this folder, and one on another host,
    // whose process cannot be looked at.
    const std::string cases[] = {"",
                                 "garbage\n\x01\xFF\n",
                                 "-1\n",
                                 lock_of(2, host),
                                 lock_of(1, host),
                                 held + std::string(kLockFileCap + 1 - held.size(), 'x'),
                                 "fifo",
                                 held,
                                 held + std::string(kLockFileCap - held.size(), 'x'),
                                 lock_of(2, "elsewhere.invalid")};
    for (const std::string& contents : cases) {
        const bool taken = &contents - cases < 7;
        ASSERT_TRUE(write_file_atomic(path, contents));
        ASSERT_TRUE(contents != "fifo" ||
                    (std::remove(path.c_str()) == 0 && mkfifo(path.c_str(), 0644) == 0));
        std::unique_ptr<QLockFile> lock;
        EXPECT_EQ(lock_installation(dir.path(), lock) && lock, taken) << contents.substr(0, 40);
        const std::string own = std::to_string(QCoreApplication::applicationPid()) + "\n";
        std::string now;
        EXPECT_TRUE(read_file(path, now) && now.rfind(taken ? own : contents, 0) == 0);
        lock.reset();
        EXPECT_EQ(file_exists(path), !taken);
    }
    for (QProcess& p : run)
        p.kill(), p.waitForFinished();
}

// A FIFO in place of any file read or appended to at start is refused at once, whether or not
// another program holds its other end.
TEST_F(StartUp, FilesThatAreNoPlainFilesNeverHoldTheStart) {
    ScriptedMessages boxes;
    app_path = dir.path();
    QDir().mkpath(to_path(dir.file("data")));
    const QByteArray saved_prefix = qgetenv("WINEPREFIX");
    qputenv("WINEPREFIX", QFile::encodeName(to_path(dir.path())));
    TPreference pref;
    TOutsideSettings outside;
    std::string text;
    std::vector<std::string> lines;
    const std::pair<const char*, std::function<bool()>> readers[] = {
        {"error.log", [] { return append_error_log("line"); }},
        {"pref.ini",
         [&] {
             read_preferences(dir.file("pref.ini"), pref, outside, &text);
             return !outside.language.empty();
         }},
        {"master.loc", [&] { return load_section(text, dir.file("master.loc"), 4); }},
        {"url.bin", [&] { return load_scrambled_text(lines, dir.file("url.bin")); }},
        {"tips.txt", [&] { return read_text_lines(dir.file("tips.txt"), kTipsLimits, lines); }},
        {"welcome.txt", [&] { return read_first_line(dir.file("welcome.txt"), 10, text); }},
        {"catpref.bin", [&] { return read_file(dir.file("catpref.bin"), text, 1000); }},
        {"data/icon_a.bmp",
         [&] {
             return !read_bitmap_file(dir.file("data/icon_a.bmp"), {99, 99}).isNull();
         }},
        {"data/cible.bmp", [&] { return !tCible(dir.file("data/cible.bmp"), 0).bitmap.isNull(); }},
        {"data/border.vec",
         [&] { return !read_outline(dir.file("data/border.vec")).points.empty(); }},
        {"system.reg", [] { return !read_machine_string("Software\\Vev", "Path").empty(); }},
        {"generator.log", [&] {
             MapGenerator g;
             g.log_error("line");
             return g.write_error_log(dir.file("generator.log"));
         }}};
    for (const auto& [file, read] : readers) {
        bool done = true;
        EXPECT_TRUE(returns_at_once(dir.file(file), [&, &read = read] { done = read(); })) << file;
        EXPECT_FALSE(done) << file;
    }
    saved_prefix.isNull() ? qunsetenv("WINEPREFIX") : qputenv("WINEPREFIX", saved_prefix);
}

TEST(StartUpChecks, UpdatesByPeriodTheDatabaseListAndTerminationSignalsThatReachTheEventLoop) {
    // Period, days since the last check, due.
    const double periods[][3] = {{0, -3, 1},  {1, 0.99, 0}, {1, 1, 1},    {3, 6.9, 0},
                                 {3, 7.0, 1}, {4, 1000, 0}, {-1, 1000, 0}};
    for (auto [period, days, due] : periods)
        EXPECT_EQ(update_due_by_period(int(period), days), due == 1) << period << " " << days;
    ScriptedMessages boxes;
    quit_flag = false;
    database_list.clear();
    for (const char* name : {"Alpha", "Beta"}) {
        database_list.push_back(std::make_unique<rdbavailable>());
        database_list.back()->folder = name;
        database_list.back()->version_ok = true;
    }
    db_name = "Beta";
    edit_db_name = "Alpha";
    EXPECT_FALSE(check_database_list(0));
    EXPECT_TRUE(selected_database == database_list[1].get() && database_list[0]->is_edit_database);
    // Letter case counts; the soft check only empties the names; the hard one quits.
    db_name = "beta";
    edit_db_name = "Gone";
    EXPECT_TRUE(check_database_list(1) && !quit_flag);
    EXPECT_TRUE(selected_database == nullptr && db_name.empty() && edit_db_name.empty());
    db_name = "beta";
    check_database_list(0);
    EXPECT_TRUE(quit_flag && boxes.texts().back() == "[DataBase Error][Program Quit]");
    quit_flag = false;
    database_list.clear();
    // Termination signals reach the event loop, then get their handlers back.
    std::vector<int> caught;
    {
        TTerminationSignals watch([&caught](int number) { caught.push_back(number); });
        std::raise(SIGTERM);
        std::raise(SIGHUP);
        for (int i = 0; i < 100 && caught.size() < 2; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(caught, (std::vector<int>{SIGTERM, SIGHUP}));
    struct sigaction now {};
    sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

namespace {

using SignalHandler = void (*)(int);

SignalHandler handler_of(int number) {
    struct sigaction now {};
    sigaction(number, nullptr, &now);
    return now.sa_handler;
}

void set_handler(int number, SignalHandler handler) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(number, &action, nullptr);
}

// The handlers of the signals that end the program as a test found them, put back at its end.
class KeptSignalHandlers {
public:
    KeptSignalHandlers() {
        for (size_t i = 0; i < kept_.size(); ++i)
            sigaction(TTerminationSignals::kSignals[i], nullptr, &kept_[i]);
    }
    ~KeptSignalHandlers() {
        for (size_t i = 0; i < kept_.size(); ++i)
            sigaction(TTerminationSignals::kSignals[i], &kept_[i], nullptr);
    }

private:
    std::array<struct sigaction, TTerminationSignals::kSignals.size()> kept_{};
};

uint64_t signal_bit(int number) {
    return uint64_t(1) << (number - 1);
}

// A signal mask of /proc/<pid>/status: "SigIgn:", "SigCgt:".
uint64_t process_signal_mask(qint64 pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field))
            return std::stoull(line.substr(field.size()), nullptr, 16);
    return 0;
}

} // namespace

// SIGINT (Ctrl+C) and SIGQUIT save unsaved additions as SIGTERM does; where they cannot be
// saved, a fallback copy and a line in error.log, and the program ends with a failure.
TEST_F(StartUp, SignalsFromTheTerminalSaveTheAdditions) {
    make_demo();
    ASSERT_TRUE(write_file_atomic(dir.file("pref.ini"),
                                  "; prefs\r\n[VERS]=1\r\n[LANG]=English\r\n"
                                  "[DBDB]=Demo\r\n[PSEU]=Moi\r\n[DATU]=4\r\n"));
    ScriptedMessages boxes;
    TForm4 form(dir.path());
    form.FormActivate();
    ASSERT_FALSE(form.first_activation || quit_flag);
    const KeptSignalHandlers kept;
    for (int number : TTerminationSignals::kSignals)
        set_handler(number, SIG_DFL);
    std::vector<int> codes;
    TTerminationSignals watch(
        [&form, &codes](int) { codes.push_back(form.save_additions_quietly() ? 0 : 1); });
    const auto edit_then_signal = [&](const std::string& name, int number) {
        find_point(form.points_tree, name)->item()->from_master = false;
        form.toggle_tagnew(true);
        ASSERT_NE(handler_of(number), SIG_DFL);
        std::raise(number);
        const size_t before = codes.size();
        for (int i = 0; i < 100 && codes.size() == before; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    edit_then_signal("Menthe sauvage", SIGINT);
    EXPECT_NE(file_text(dir.file("ajouts/Vev_ajouts_Demo.txt")).find("\nMenthe sauvage||"),
              std::string::npos);
    // The additions folder gone, the copy goes to the home folder.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", dir.file("home").c_str());
    ASSERT_TRUE(QDir().mkpath(to_path(dir.file("home"))) &&
                QDir().rename(to_path(dir.file("ajouts")), to_path(dir.file("gone"))));
    edit_then_signal("Source claire", SIGQUIT);
    qputenv("HOME", home);
    EXPECT_EQ(codes, (std::vector{0, 1}));
    const std::string copy = dir.file("home/Vev_ajouts_Demo.txt.unsaved");
    EXPECT_NE(file_text(copy).find("\nSource claire||"), std::string::npos);
    EXPECT_NE(file_text(dir.file("error.log")).find("were written to " + copy), std::string::npos);
}

// The program itself ends on each of these signals as on a close (its preferences written, its
// lock given back, a success); one that was ignored when it started stays ignored.
TEST_F(StartUp, TheProgramEndsOnTerminationSignalsUnlessIgnoredAtItsStart) {
    make_demo();
    const QString program = to_path(dir.file("vevkarvelo"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KARVELO_PROGRAM), program));
    ASSERT_TRUE(QDir().mkpath(to_path(dir.file("home"))));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), to_path(dir.file("home")));
    const std::pair<int, std::vector<int>> runs[] = {{SIGTERM, {}},
                                                     {SIGHUP, {}},
                                                     {SIGINT, {}},
                                                     {SIGQUIT, {}},
                                                     {SIGTERM, {SIGHUP, SIGINT, SIGQUIT}},
                                                     {SIGHUP, {SIGTERM}}};
    for (const auto& [ending, ignored] : runs) {
        SCOPED_TRACE(ending);
        ASSERT_TRUE(write_file_atomic(dir.file("pref.ini"),
                                      "; prefs\r\n[VERS]=1\r\n[LANG]=English\r\n[DBDB]=Demo\r\n"
                                      "[DATU]=4\r\n"));
        uint64_t ignored_mask = 0;
        for (int number : ignored)
            ignored_mask |= signal_bit(number);
        QProcess run;
        run.setProcessEnvironment(environment);
        run.setChildProcessModifier([ignored_mask] {
            for (int number : TTerminationSignals::kSignals)
                std::signal(number, ignored_mask & signal_bit(number) ? SIG_IGN : SIG_DFL);
        });
        run.start(program, {});
        ASSERT_TRUE(run.waitForStarted());
        // Its handlers are in place once the ending signal is caught.
        uint64_t caught = 0;
        for (int i = 0; i < 3000 && !(caught & signal_bit(ending)); ++i) {
            ASSERT_EQ(run.state(), QProcess::Running) << run.readAllStandardError().toStdString();
            QThread::msleep(10);
            caught = process_signal_mask(run.processId(), "SigCgt:");
        }
        const uint64_t now_ignored = process_signal_mask(run.processId(), "SigIgn:");
        for (int number : TTerminationSignals::kSignals) {
            EXPECT_EQ((now_ignored & signal_bit(number)) != 0,
                      (ignored_mask & signal_bit(number)) != 0)
                << number;
            EXPECT_EQ((caught & signal_bit(number)) != 0, (ignored_mask & signal_bit(number)) == 0)
                << number;
        }
        // A process id of 0 would signal the whole group, the tests with it.
        const auto send = [&run](int number) {
            if (run.processId() > 0)
                ::kill(pid_t(run.processId()), number);
        };
        for (int number : ignored)
            send(number);
        EXPECT_TRUE(ignored.empty() || !run.waitForFinished(500));
        send(ending);
        ASSERT_TRUE(run.waitForFinished(60000));
        EXPECT_TRUE(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0)
            << run.readAllStandardError().toStdString();
        EXPECT_NE(pref_ini().find("[VALT]="), std::string::npos);
        EXPECT_FALSE(QFileInfo::exists(to_path(dir.file(kLockFileName))));
    }
}
