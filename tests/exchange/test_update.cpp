#include "exchange/update_check.h"
#include "exchange/widgets/update_fich.h"
#include "mainwindow/startup.h"
#include "support/demo_install.h"
#include "support/dialog_answer.h"
#include "support/exchange_fixture.h"
#include "support/fifo.h"
#include "support/http_test_server.h"
#include "support/opened_urls.h"
#include "support/window_input.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <filesystem>

using namespace support;

namespace {

class Update : public ExchangeTest {
protected:
    void SetUp() override {
        ExchangeTest::SetUp();
        app_path = dir.file("app/");
        QDir().mkpath(to_path(app_path));
        rPreference.VALT = "abcdefabcdef";
    }
    void serve(const HttpTestServer& server) {
        ASSERT_TRUE(server.running());
        rdbavailable& d = *selected_database;
        std::tie(d.update_address1, d.update_address2, d.update_address3, d.newer_version_page) =
            std::tuple(server.url("/"), "vev/", "update.php", "http://example.org/new");
    }
    // The list's rows: description and status.
    static std::map<std::string, std::string> shown(const TForm_update& dialog) {
        std::map<std::string, std::string> rows;
        const QAbstractItemModel& list = *dialog.UpdateTree->model();
        for (int row = 0; row < list.rowCount(); ++row)
            rows[from_qstring(list.index(row, 2).data().toString())] =
                from_qstring(list.index(row, 1).data().toString());
        return rows;
    }
    // Every file under the test folder, relative to it, with its bytes.
    std::map<std::string, std::string> files() {
        std::map<std::string, std::string> out;
        for (const auto& f : std::filesystem::recursive_directory_iterator(dir.path()))
            if (f.is_regular_file())
                out[std::filesystem::relative(f, dir.path())] = file_text(f.path());
        return out;
    }
};

} // namespace

TEST_F(Update, DownloadsVerifiesAndReplacesOnlyWhatDiffers) {
    using namespace std::string_literals;
    const std::string big = "plain\r\nbytes \xE9\x00\xFF"s + std::string(70000, 'a');
    std::string outside = dir.file("outside\\");
    std::replace(outside.begin(), outside.end(), '/', '\\');
    struct Row {
        std::string name, folder, content, booleans, kind;
        int status;      // caption of its status, 0: not listed
        std::string md5; // listed digest; empty: the content's
    } rows[] = {
        {"a.txt", "", big, "0|1", "all", 52, ""},
        {"b.dat", "sub\\", "compressed by Python", "True|0", "RES", 52, ""},
        {"c.inf", "database\\Demo\\", "new credits", "1|0", "bas DEMO", 52, ""},
        {"d.inf", "database\\Other\\", "x", "1|0", "bas other", 0, ""},
        {"e.txt", "", "current", "0|0", "all", 0, ""},
        {"f.txt", "", "new f", "0|0", "all", 53,
         QByteArray(md5_hex("new f").c_str()).toUpper().toStdString()},
        {"g.txt", "", "not what the digest says", "0|0", "all", 53, md5_hex("g")},
        // Entries that would leave the program folder.
        {"x.txt", "..\\", big, "0|0", "all", 145, ""},
        {"x.txt", outside, big, "0|0", "all", 145, ""},
        {"x.txt", "C:\\", big, "0|0", "all", 145, ""},
        {"..\\x.txt", "", big, "0|0", "all", 53, ""},
        {"sub/x.txt", "", big, "0|0", "all", 53, ""},
        {"", "", big, "0|0", "all", 53, ""},
        {"n\0.txt"s, "", big, "0|0", "all", 53, ""},
        // Names like those of temporary files.
        {"dl.tmp", "", "t", "0|0", "all", 52, ""},
        {"dl.gz", "", "g", "1|0", "all", 52, ""},
        {"dl-a1B2c3.tmp", "sub\\", "s", "1|0", "all", 52, ""},
    };
    std::map<std::string, HttpRoute> routes;
    std::string listing = "VERS=v1.06\r\nMESS=Bonjour\r\nMESE=Hello\r\n";
    std::map<std::string, std::string> expected; // description: status
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& r = rows[i];
        const std::string id = std::to_string(i);
        routes["/" + id] = reply(r.content, r.booleans[0] != '0');
        listing += "FILE=" + r.name + "|" + r.folder + "|" +
                   (r.md5.empty() ? md5_hex(r.content) : r.md5) + "|$BASE/" + id + "|" + id + "|" +
                   r.booleans + "|" + r.kind + "\r\n";
        if (r.status != 0)
            expected[id] = get_text(r.status);
    }
    routes["/vev/update.php"] = reply(listing + "EOF\r\n");
    QDir().mkpath(to_path(app_path + "database/Demo"));
    for (auto [name, content] : {std::pair{"database/Demo/c.inf", "old credits"},
                                 {"e.txt", "current"},
                                 {"f.txt", "old f"}})
        ASSERT_TRUE(write_file_atomic(app_path + name, content));
    // An executable stays executable.
    const std::filesystem::path program = to_path(app_path + "database/Demo/c.inf").toStdString();
    std::filesystem::permissions(program, std::filesystem::perms(0751));
    HttpTestServer server(routes);
    serve(server);
    // Names that an address cannot carry as they are.
    db_name = "D\xC3\xA9mo X\t+&";
    language = "English UK";
    {
        TForm_update dialog;
        dialog.Button3Click();
        EXPECT_TRUE(dialog.check.database_updated && dialog.check.restart_needed &&
                    rPreference.DATW > 0);
        EXPECT_TRUE(dialog.Memo1->toPlainText().contains("Hello") &&
                    !dialog.Memo1->toPlainText().contains("Bonjour"));
        EXPECT_TRUE(shown(dialog) == expected && was_shown(boxes, message(58)));
        // Closing with a port that is not a number still stores the period and tells of the
        // restart.
        dialog.ComboBox1->setCurrentIndex(3);
        dialog.checkbox5->setChecked(true);
        dialog.proxyport_edit->clear();
    }
    EXPECT_EQ(std::filesystem::status(program).permissions(), std::filesystem::perms(0751));
    EXPECT_EQ(rPreference.DATU, 3);
    EXPECT_TRUE(boxes.texts().back() == message(14) &&
                was_shown(boxes, "'' is not a valid integer value"));
    // The updated files and those left as they were; nothing outside the program folder, no
    // temporary file.
    std::map<std::string, std::string> kept{{"app/e.txt", "current"}, {"app/f.txt", "old f"}};
    for (const Row& r : rows)
        if (r.status == 52)
            kept["app/" + QString::fromStdString(r.folder).replace('\\', '/').toStdString() +
                 r.name] = r.content;
    EXPECT_EQ(files(), kept);
    QStringList fetched;
    for (const QJsonObject& r : server.requests())
        fetched << r["path"].toString();
    EXPECT_EQ(fetched.join(" "), "/vev/update.php?db=D%E9mo%20X%09%2B%26&r=English%20UK&"
                                 "i=abcdefabcdef /0 /1 /2 /5 /6 /14 /15 /16");
    const QJsonValue headers = server.requests()[0]["headers"];
    EXPECT_EQ(headers["user-agent"].toString() + "|" + headers["accept"].toString(),
              "Mozilla/3.0 (compatible; Indy Library)|text/html, */*");
}

// A file that the update makes gets the usual mode of a new file; a replaced one keeps its own.
TEST_F(Update, NewFilesGetTheUsualModeAndReplacedOnesKeepTheirs) {
    const ScopedUmask mask(027);
    ASSERT_TRUE(write_file_atomic(app_path + "old.txt", "old"));
    ASSERT_EQ(chmod((app_path + "old.txt").c_str(), 0604), 0);
    HttpTestServer server(
        {{"/n", reply("n")},
         {"/z", reply("z", true)},
         {"/vev/update.php", reply("VERS=v1.06\r\nFILE=new.txt||" + md5_hex("n") +
                                   "|$BASE/n|n|0|0|all\r\nFILE=new.txt|sub\\|" + md5_hex("z") +
                                   "|$BASE/z|z|1|0|all\r\nFILE=old.txt||" + md5_hex("n") +
                                   "|$BASE/n|o|0|0|all\r\nFILE=fifo.txt||" + md5_hex("n") +
                                   "|$BASE/n|f|0|0|all\r\nEOF")}});
    serve(server);
    TForm_update dialog;
    // A FIFO in the place of a file is compared without waiting, and replaced as a new file.
    EXPECT_TRUE(returns_at_once(app_path + "fifo.txt", [&] { dialog.Button3Click(); }));
    EXPECT_EQ(
        shown(dialog),
        (std::map<std::string, std::string>{
            {"n", get_text(52)}, {"z", get_text(52)}, {"o", get_text(52)}, {"f", get_text(52)}}));
    EXPECT_EQ((std::vector{file_mode(app_path + "new.txt"), file_mode(app_path + "sub/new.txt"),
                           file_mode(app_path + "old.txt"), file_mode(app_path + "fifo.txt")}),
              (std::vector<mode_t>{0640, 0640, 0604, 0640}));
    EXPECT_EQ(file_text(app_path + "fifo.txt"), "n");
}

// The lock file of the running program, reached by any form of its path, is never written.
TEST_F(Update, TheProgramsLockIsNeverWritten) {
    std::unique_ptr<QLockFile> lock;
    ASSERT_TRUE(lock_installation(app_path, lock) && lock);
    const std::string lock_file = app_path + kLockFileName;
    const std::string held = file_text(lock_file);
    QDir().mkpath(to_path(app_path + "sub"));
    ASSERT_TRUE(QFile::link(to_path(app_path), to_path(app_path + "link")));
    const std::pair<std::string, std::string> entries[] = {
        {"vevkarvelo.lock", ""},     {"VevKarvelo.LOCK", ""},       {"vevkarvelo.lock", ".\\"},
        {"vevkarvelo.lock", "./"},   {"vevkarvelo.lock", ".\\.\\"}, {"vevkarvelo.lock", "link\\"},
        {"vevkarvelo.lock", "sub\\"}};
    std::string listing = "VERS=v1.06\r\n";
    std::map<std::string, std::string> expected;
    for (size_t i = 0; i < std::size(entries); ++i) {
        listing += "FILE=" + entries[i].first + "|" + entries[i].second + "|" + md5_hex("evil") +
                   "|$BASE/evil|" + std::to_string(i) + "|0|0|all\r\n";
        expected[std::to_string(i)] = get_text(i + 1 < std::size(entries) ? 53 : 52);
    }
    HttpTestServer server({{"/evil", reply("evil")}, {"/vev/update.php", reply(listing + "EOF")}});
    serve(server);
    for (const bool locked : {true, false}) {
        SCOPED_TRACE(locked);
        TForm_update dialog;
        dialog.Button3Click();
        EXPECT_EQ(shown(dialog), expected);
        EXPECT_EQ(file_text(app_path + "sub/vevkarvelo.lock"), "evil");
        QFile::remove(to_path(app_path + "sub/vevkarvelo.lock"));
        // Without the lock, no file takes its name either.
        EXPECT_TRUE(!locked || file_text(lock_file) == held);
        EXPECT_EQ(QDir(to_path(app_path)).entryList(QDir::Files).join(" ").toStdString(),
                  locked ? kLockFileName : "");
        lock.reset();
    }
}

// The additions files and their companions, of any database and reached by any form of the
// additions folder's path, are never written; the folder's other files still update.
TEST_F(Update, TheUsersAdditionsFilesAreNeverWritten) {
    const std::string ajouts = app_path + "ajouts/";
    QDir().mkpath(to_path(ajouts));
    QDir().mkpath(to_path(app_path + "sub"));
    ASSERT_TRUE(QFile::link(to_path(ajouts), to_path(app_path + "link")));
    const std::map<std::string, std::string> mine{{"Vev_ajouts_Demo.txt", "points"},
                                                  {"Vev_ajouts_Demo.bak", "dropped lines"}};
    for (const auto& [name, text] : mine)
        ASSERT_TRUE(write_file_atomic(ajouts + name, text));
    const std::tuple<std::string, std::string, int> entries[] = {
        {"Vev_ajouts_Demo.txt", "ajouts\\", 53},
        {"VEV_AJOUTS_DEMO.BAK", "ajouts\\", 53},
        {"Vev_ajouts_Demo.txt.new", ".\\ajouts\\", 53},
        {"vev_ajouts_Other.txt.unsaved2", "./ajouts/", 53},
        {"Vev_ajouts_Demo.other.txt", "Ajouts\\", 53},
        {"Vev_ajouts_Demo.txt", "link\\", 53},
        {"Vev_ajouts_Demo.txt", "ajouts\\.\\\\", 53},
        {"notes.txt", "ajouts\\", 52},
        {"My_Vev_ajouts_Demo.txt", "ajouts\\", 52},
        {"Vev_ajouts_Demo.txt", "sub\\", 52},
        {"Vev_ajouts_Demo.txt", "", 52}};
    std::string listing = "VERS=v1.06\r\n";
    std::map<std::string, std::string> expected;
    std::map<std::string, std::string> after{{"app/sub/Vev_ajouts_Demo.txt", "evil"},
                                             {"app/Vev_ajouts_Demo.txt", "evil"},
                                             {"app/ajouts/notes.txt", "evil"},
                                             {"app/ajouts/My_Vev_ajouts_Demo.txt", "evil"}};
    for (const auto& [name, text] : mine)
        after["app/ajouts/" + name] = text;
    for (size_t i = 0; i < std::size(entries); ++i) {
        const auto& [name, folder, status] = entries[i];
        listing += "FILE=" + name + "|" + folder + "|" + md5_hex("evil") + "|$BASE/evil|" +
                   std::to_string(i) + "|0|0|all\r\n";
        expected[std::to_string(i)] = get_text(status);
    }
    HttpTestServer server({{"/evil", reply("evil")}, {"/vev/update.php", reply(listing + "EOF")}});
    serve(server);
    TForm_update dialog;
    dialog.Button3Click();
    EXPECT_EQ(shown(dialog), expected);
    // One line in error.log names the first refused file and counts the others.
    const std::string log = file_text(app_path + "error.log");
    EXPECT_EQ(split_lines(log).size(), 1u);
    EXPECT_TRUE(log.find(ajouts + "Vev_ajouts_Demo.txt: not replaced by the update") !=
                    std::string::npos &&
                log.find(" 6 other ") != std::string::npos)
        << log;
    after["app/error.log"] = log;
    EXPECT_EQ(files(), after);
}

// The request's values as the server decodes its query: whole, whatever they hold.
TEST_F(Update, RequestValuesReachTheServerWhole) {
    HttpTestServer server({{"/vev/update.php", reply("VERS=v1.06\r\nEOF")}});
    serve(server);
    const std::string odd = "#1 &+%25=;x";
    const std::pair<std::string, QString> names[] = {
        {"Demo" + odd, "Demo" + QString::fromLatin1(odd)},
        {"D\xC3\xA9mo", QString::fromLatin1("D\xE9mo")},
        {"\xD0\x91\xD0\xB0\xD0\xB7\xD0\xB0",
         QString::fromLatin1("\xD0\x91\xD0\xB0\xD0\xB7\xD0\xB0")}};
    for (const auto& [name, decoded] : names) {
        db_name = name;
        language = "English" + odd;
        rPreference.VALT = "id" + odd;
        TForm_update dialog;
        dialog.Button3Click();
        ASSERT_FALSE(server.requests().empty());
        EXPECT_EQ(server.requests().back()["query"].toObject(),
                  (QJsonObject{{"db", QJsonArray{decoded}},
                               {"r", QJsonArray{QString::fromLatin1("English" + odd)}},
                               {"i", QJsonArray{QString::fromLatin1("id" + odd)}}}))
            << name;
    }
    EXPECT_TRUE(boxes.texts().empty());
}

// One dialog, one run after the other: nothing of a run is kept for the next.
TEST_F(Update, RepliesThatAreInvalidFailOrAskForTheNewVersion) {
    struct Case {
        std::string reply;
        int answer;
        bool memo_invalid; // caption 60 in the memo
        bool update_error; // "update error" box
        size_t entries;    // entries read
        bool completed;    // [DATW] set
        bool page_opened;
    } cases[] = {
        {"VERS=v1.06\r\nFILE=a|||u|d|1|0|zzz\r\n", 0, true, false, 0, false, false},
        {"VERS=v1.06\r\nEOF\r\n\r\n", 0, true, false, 0, false, false},
        {"VERS=v1.06\r\neof", 0, true, false, 0, false, false},
        {"VERS=v1.06\r\nFILE=a|||u|d|1|0|zzz\r\nFILE=b|||u|d||0|zzz\r\nFILE=c|||u|d|0|0|zzz\r\nEOF",
         0, false, true, 1, true, false},
        {"FILE=a||x|u|d\r\nEOF\n", 0, false, true, 0, true, false},
        {"EOF", kAnswerNo, false, false, 0, true, false},
        {"VERS=v2.00\r\nEOF", kAnswerYes, false, false, 0, false, true},
    };
    std::map<std::string, HttpRoute> routes;
    for (size_t i = 0; i < std::size(cases); ++i)
        routes["/vev/" + std::to_string(i)] = reply(cases[i].reply);
    HttpTestServer server(routes);
    serve(server);
    TForm_update dialog;
    for (const Case& c : cases) {
        selected_database->update_address3 = std::to_string(&c - cases);
        ScriptedMessages answers;
        answers.answer({c.answer});
        OpenedUrls opened("http");
        rPreference.DATW = 0;
        dialog.Button3Click();
        SCOPED_TRACE(c.reply);
        EXPECT_EQ(dialog.Memo1->toPlainText().contains(to_qstring(get_text(60))), c.memo_invalid);
        EXPECT_EQ(std::tuple(was_shown(answers, "update error"), dialog.check.entries.size(),
                             rPreference.DATW > 0),
                  std::tuple(c.update_error, c.entries, c.completed));
        EXPECT_EQ(opened.urls, c.page_opened ? std::vector<std::string>{"http://example.org/new"}
                                             : std::vector<std::string>{});
        if (c.answer != 0) {
            EXPECT_EQ(answers.shown().empty() ? "" : answers.shown().front().text,
                      message(34, c.page_opened ? "v2.00" : "", "http://example.org/new"));
        }
    }
}

// A reply at its size limit: the window shows a few hundred message lines, and every server
// text (messages, the version asked about, the list's texts) cut to one screen line.
TEST_F(Update, LongReplyTextsAreCutForTheWindow) {
    const std::string page(kShownLineWidth, 'p');
    HttpTestServer files({{"/a", reply("a")}});
    std::string listing = "VERS=" + std::string(1000000, 'v') + "\r\nMESE=" + page +
                          std::string(2000000, 'm') + "\r\nFILE=a.txt||" + md5_hex("a") + "|" +
                          files.url("/a") + "|" + page + std::string(1000000, 'd') + "|0|0|all\r\n";
    while (listing.size() < kUpdateReplyMaxBytes - 100)
        listing += "MESE=x\r\n";
    listing += std::string(kUpdateReplyMaxBytes - listing.size() - 5, ' ') + "\r\nEOF";
    ASSERT_EQ(listing.size(), kUpdateReplyMaxBytes);
    HttpTestServer server({{"/vev/update.php", reply(listing)}});
    serve(server);
    boxes.answer({kAnswerNo});
    TForm_update dialog;
    dialog.Button3Click();
    const QStringList memo = dialog.Memo1->toPlainText().split('\n');
    ASSERT_EQ(memo.size(), qsizetype(kShownMessageLines + 1));
    EXPECT_EQ(memo[0], to_qstring(page + "\x85"));
    EXPECT_EQ(memo[1] + memo.back(), to_qstring("x\x85"));
    EXPECT_EQ(boxes.texts()[0],
              message(34, std::string(kShownLineWidth, 'v') + "\x85", "http://example.org/new"));
    const QAbstractItemModel& list = *dialog.UpdateTree->model();
    EXPECT_EQ(list.index(0, 1).data().toString() + list.index(0, 2).data().toString(),
              to_qstring(get_text(52) + page + "\x85"));
}

TEST_F(Update, TransfersThatFailOrAreClosedEndTheRun) {
    const std::string list = "VERS=v1.06\r\nFILE=x||0|$BASE/none|d|0|0|all\r\nEOF";
    const std::string dripping =
        "VERS=v1.06\r\nFILE=a.txt||" + md5_hex("new") + "|$BASE/drip|d|0|0|all\r\nEOF";
    HttpTestServer server({{"/ok", reply(list)},
                           {"/list", reply(dripping)},
                           {"/dlist", {200, dripping, false, {}, 0, {}, -1, 1, 0.05}},
                           {"/drip", {200, "new", false, {}, 0, {}, -1, 40, 0.05}},
                           {"/500", status(500)},
                           {"/stall", reply("EOF", false, 5)},
                           {"/cut", {200, "EOF", false, {}, 0, {}, 100}},
                           {"/big", reply(std::string(kUpdateReplyMaxBytes + 1, 'x'))},
                           {"/r1", status(302, "/r2")},
                           {"/r2", {301, {}, false, "/ok", 0, "k=v"}},
                           {"/s1", status(302, "/r1")}});
    serve(server);
    struct Case {
        std::string address;
        std::string error;                            // start of the box's text
    } cases[] = {{server.url("/r1"), "HTTP/1.0 404"}, // the list, then its download fails
                 {server.url("/500"), "HTTP/1.0 500"},
                 {server.url("/stall"), "Read timed out."},
                 {server.url("/cut"), "transfer closed with 97 bytes remaining"},
                 {server.url("/s1"), "Maximum (2) redirects followed"},
                 {server.url("/big"), "The reply is larger than 4194304 bytes."},
                 {"file:///etc/hostname", "Protocol \"file\" not supported"}};
    TForm_update dialog;
    dialog.check.http.options.read_timeout_ms = 300;
    selected_database->update_address2 = selected_database->update_address3 = "";
    for (const Case& c : cases) {
        selected_database->update_address1 = c.address;
        rPreference.DATW = 0;
        ScriptedMessages failures;
        dialog.Button3Click();
        ASSERT_EQ(failures.texts().size(), 1u) << c.address;
        EXPECT_EQ(failures.texts()[0].rfind(c.error, 0), 0u) << failures.texts()[0];
        EXPECT_EQ(dialog.check.reply.size(), &c == cases ? 3u : 0u) << c.address;
        // No list above an empty list.
        EXPECT_EQ(from_qstring(dialog.Label4->text()), get_text(&c == cases ? 58 : 59));
        EXPECT_EQ(std::pair(dialog.Memo1->toPlainText().contains(to_qstring(get_text(60))),
                            rPreference.DATW > 0),
                  std::pair(&c != cases, &c == cases));
    }
    // The cookie of the first transfer comes back with the later ones.
    EXPECT_EQ(server.requests().back()["headers"].toObject()["cookie"].toString(), "k=v");
    // Each way of closing, a click on Close or Escape sent to the window as the window system
    // sends them, or the close box, during the request or during a download that drips, ends
    // the transfer at once and replaces nothing.
    ASSERT_TRUE(write_file_atomic(app_path + "a.txt", "old"));
    const std::pair<const char*, std::function<void(TForm_update&)>> closes[] = {
        {"/dlist", [](TForm_update& d) { queue_click(d.Button1); }},
        {"/list", [](TForm_update& d) { queue_key(&d, Qt::Key_Escape); }},
        {"/list", [](TForm_update& d) { d.close(); }}};
    const size_t before = server.requests().size();
    for (const auto& [path, close] : closes) {
        selected_database->update_address1 = server.url(path);
        TForm_update dialog;
        dialog.show();
        // Two clicks queued: the second comes while the first one's run transfers, as does a
        // click on a setting, which the run drops.
        const bool proxy = dialog.checkbox5->isChecked();
        queue_click(dialog.Button3);
        queue_click(dialog.Button3);
        queue_click(dialog.checkbox5);
        QTimer::singleShot(300, &dialog, [&dialog, close = close] { close(dialog); });
        // A close that does not get through is seen once the run has ended.
        QTimer::singleShot(15000, &dialog, [&dialog] { dialog.done(0); });
        run_until_closed(dialog);
        EXPECT_EQ(dialog.StatusBar1->currentMessage(), "The transfer was cancelled.") << path;
        EXPECT_EQ(dialog.checkbox5->isChecked(), proxy) << path;
    }
    QStringList fetched;
    for (size_t i = before; i < server.requests().size(); ++i)
        fetched << server.requests()[i]["path"].toString().section('?', 0, 0);
    EXPECT_EQ(fetched.join(" "), "/dlist /list /drip /list /drip");
    EXPECT_EQ(files(), (std::map<std::string, std::string>{{"app/a.txt", "old"}}));
    EXPECT_TRUE(boxes.texts().empty() && rPreference.DATW == 0);
}

// Return or Space typed half a second after the click on Check and update reaches no control
// that ends the run: the run goes on until Close ends it. A Tab to Close, then Space, ends it.
TEST_F(Update, AKeyTypedAfterTheClickEndsTheRunOnlyOnClose) {
    HttpTestServer server({{"/vev/update.php", reply("VERS=v1.06\r\nEOF", false, 30)}});
    serve(server);
    for (const int key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Tab}) {
        SCOPED_TRACE(key);
        TForm_update d;
        d.check.http.options.read_timeout_ms = 60000;
        d.show();
        EXPECT_EQ(after_key(d, d.Button3, d.Button1, key,
                            [&d] { return d.isVisible() && !d.Button3->isEnabled(); }),
                  key == Qt::Key_Tab ? "ended by Space" : "went on");
        EXPECT_EQ(d.StatusBar1->currentMessage(), "The transfer was cancelled.");
    }
}

// While a download waits, the file list and the server's messages scroll with the wheel and the
// Options tab opens, its settings held as the run took them.
TEST_F(Update, DuringARunTheListsScrollAndTheTabsSwitch) {
    std::string listing = "VERS=v1.06\r\n";
    for (int i = 0; i < 30; ++i)
        listing += "MESE=line " + std::to_string(i) + "\r\nFILE=f" + std::to_string(i) + ".txt||" +
                   md5_hex("x") + "|$BASE/slow|" + std::to_string(i) + "|0|0|all\r\n";
    HttpTestServer server(
        {{"/vev/update.php", reply(listing + "EOF")}, {"/slow", reply("x", false, 30)}});
    serve(server);
    TForm_update d;
    d.check.http.options.read_timeout_ms = 60000;
    d.show();
    const QAbstractItemModel& list = *d.UpdateTree->model();
    QTabBar* tabs = d.PageControl1->tabBar();
    const InputSteps input(
        {[&] {
             queue_click(d.Button3);
             return true;
         },
         [&] {
             return list.rowCount() == 30 &&
                    list.index(0, 1).data().toString() == to_qstring(get_text(146));
         },
         [&] {
             queue_wheel(d.UpdateTree->viewport(), 3);
             queue_wheel(d.Memo1->viewport(), 3);
             return true;
         },
         [&] {
             return d.UpdateTree->verticalScrollBar()->value() > 0 &&
                    d.Memo1->verticalScrollBar()->value() > 0;
         },
         [&] {
             queue_click(tabs, tabs->tabRect(1).center());
             return true;
         },
         [&] { return d.PageControl1->currentIndex() == 1 && !d.checkbox5->isEnabled(); },
         [&] {
             queue_click(d.Button1);
             return true;
         }},
        [&] { d.done(0); });
    run_until_closed(d);
    EXPECT_EQ(input.stuck(), 0u);
    EXPECT_EQ(d.StatusBar1->currentMessage(), "The transfer was cancelled.");
}

TEST_F(Update, ProxySettingsReachTheProxy) {
    HttpTestServer server({{"/vev/update.php", reply("EOF")}});
    ASSERT_TRUE(server.running());
    TForm_update dialog;
    // A port that is not a number stops the check before any request.
    dialog.checkbox5->setChecked(true);
    dialog.checkbox5Click();
    dialog.proxyport_edit->clear();
    dialog.Button3Click();
    EXPECT_TRUE(was_shown(boxes, "'' is not a valid integer value") && server.requests().empty() &&
                dialog.Button3->isEnabled());
    // A pasted line break would end the pref.ini line: refused before any request.
    dialog.proxyserver_edit->setText("127.0.0.1\n[DBDB]=X");
    dialog.Button3Click();
    EXPECT_TRUE(was_shown(boxes, message(73, "U+000A")) && server.requests().empty());
    const std::string port = server.url("").substr(server.url("").rfind(':') + 1);
    dialog.proxyserver_edit->setText("127.0.0.1");
    dialog.proxyport_edit->setText(QString::fromStdString(port));
    for (QAbstractButton* on :
         std::initializer_list<QAbstractButton*>{dialog.CheckBox6, dialog.CheckBox7, dialog.http10})
        on->setChecked(true);
    dialog.proxyname_edit->setText("ann");
    dialog.proxypass_edit->setText("s3cret");
    dialog.validproxy();
    dialog.check.check_update("http://update.example.invalid/vev/update.php?db=Demo");
    const auto sent = server.requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]["version"].toString() + " " + sent[0]["path"].toString(),
              "HTTP/1.0 http://update.example.invalid/vev/update.php?db=Demo");
    EXPECT_EQ(sent[0]["headers"]["proxy-authorization"].toString(),
              "Basic " + QByteArray("ann:s3cret").toBase64());
    EXPECT_EQ(dialog.check.reply, std::vector<std::string>{"EOF"});
}

TEST_F(Update, ProxyTextsFromThePreferencesPassWholeAndOnlyCharactersTypedAnewAreRefused) {
    const std::string server("pr\x81oxy", 6), name("a\tn\0n", 6),
        password("s\x9D"
                 "3",
                 3);
    std::tie(rPreference.PRXS, rPreference.PRXP, rPreference.PRXN, rPreference.PRXM) =
        std::tuple(server, 8080, name, password);
    TForm_update dialog;
    // Taken as they were, even after the name and password were off for a run.
    dialog.CheckBox6->setChecked(false);
    dialog.CheckBox6Click();
    dialog.validproxy();
    dialog.CheckBox6->setChecked(true);
    dialog.CheckBox6Click();
    EXPECT_TRUE(dialog.proxy_fields_fit());
    dialog.validproxy();
    EXPECT_EQ(std::tuple(rPreference.PRXS, rPreference.PRXN, rPreference.PRXM),
              std::tuple(server, name, password));
    // A character the field did not hold is refused; one it held may be typed again.
    dialog.proxyname_edit->insert(QStringLiteral("\t"));
    EXPECT_TRUE(dialog.proxy_fields_fit());
    dialog.proxypass_edit->insert(QStringLiteral("\t"));
    EXPECT_FALSE(dialog.proxy_fields_fit());
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{message(73, "U+0009")});
}

TEST_F(Update, UpdateCommandReplacesThenReloads) {
    install_demo(app_path, "[LANG]=English\r\n[DBDB]=Demo\r\n[DATU]=4\r\n");
    HttpTestServer server(
        {{"/news", reply("news")},
         {"/vev/update.php", reply("VERS=v1.06\r\nFILE=news.txt||" + md5_hex("news") +
                                   "|$BASE/news|N|0|0|all\r\nEOF")}});
    TForm4 form(app_path);
    form.FormActivate();
    ASSERT_TRUE(selected_database && form.but_autoup->isEnabled());
    serve(server);
    form.feedback_lines.clear();
    DialogAnswer dialog([](QWidget* w) {
        qobject_cast<TForm_update*>(w)->Button3Click();
        qobject_cast<TForm_update*>(w)->Button1Click();
    });
    form.but_autoupClick();
    EXPECT_EQ(files()["app/news.txt"], "news");
    // The reload announces the database again.
    ASSERT_FALSE(form.feedback_lines.empty());
    EXPECT_EQ(form.feedback_lines.lines()[0].text, "Database Demo loaded");
}
