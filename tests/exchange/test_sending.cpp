#include "exchange/MsMultiPartFormData.h"
#include "exchange/sending.h"
#include "exchange/widgets/send_fic.h"
#include "mainwindow/widgets/map.h"
#include "platform/mapimail.h"
#include "support/dialog_answer.h"
#include "support/exchange_fixture.h"
#include "support/http_test_server.h"
#include "support/window_input.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <gmock/gmock.h>

using namespace support;

namespace {

TEST(Upload, TheMultipartBodyFollowsTheLayoutByteForByteWithTheNicknameAndPass) {
    TMsMultiPartFormDataStream body(QDateTime(QDate(2007, 3, 5), QTime(14, 7, 9, 45)));
    const std::string b = std::string(27, '-') + "030507140709045";
    EXPECT_EQ(body.boundary(), b);
    EXPECT_EQ(body.request_content_type(), "multipart/form-data; boundary=" + b);
    body.add_field_part("type", "vev");
    body.add_field_part("pass", "100%25%");
    body.add_file_part("file", "/x\"\r\n/Vev_ajouts_Demo.txt", "application/msword", "a\r\nb\r\n");
    body.finish_body();
    const std::string header = "Content-Disposition: form-data; name=";
    EXPECT_EQ(body.data(), "--" + b + "\r\n" + header + "\"type\"\r\n\r\nvev\r\n--" + b + "\r\n" +
                               header + "\"pass\"\r\n\r\n100%25%\r\n--" + b + "\r\n" + header +
                               "\"file\"; filename=\"/x%22%0D%0A/Vev_ajouts_Demo.txt\"\r\n"
                               "Content-Type: application/msword\r\n\r\na\r\nb\r\n\r\n--" +
                               b + "--\r\n");
    TMsMultiPartFormDataStream empty;
    empty.add_file_part("file", "f", "t", "");
    empty.finish_body();
    EXPECT_TRUE(
        empty.data().ends_with("Content-Type: t\r\n\r\n\r\n--" + empty.boundary() + "--\r\n"));
    // The nickname and pass fields.
    for (auto [nick, pseudo] :
         {std::pair{"Ann-Marie 2 Z", "annmariez"}, {"", "anonymous"}, {"42 \xC9\xE9", "anonymous"}})
        EXPECT_EQ(upload_pseudo(nick), pseudo) << nick;
    EXPECT_EQ(upload_pass(), "3ea5e2fd776c071999189216b336f630"); // MD5 of "vermo2718281828"
}

class Sending : public ExchangeTest {
protected:
    const std::string bytes = "#v001-id=123456-Ann\r\n#v1.06\r\nPoint|\xE9t\xE9|1\r\n";
    std::string file;
    const QByteArray path = qgetenv("PATH");
    void SetUp() override {
        ExchangeTest::SetUp();
        app_path = dir.path();
        // A folder name that would end the upload's filename early and add header lines.
        ajouts_path = dir.file("a\"\r\nContent-Type: text/plain\r\n\r\n\"/");
        QDir().mkpath(to_path(ajouts_path));
        set_additions_file("Demo");
        file = ajouts_path + additions_file_name;
        ASSERT_TRUE(write_file_atomic(file, bytes));
        rPreference.PSEU = "Ann-Marie";
        selected_database->mail_address = "cartographes@example.org";
    }
    void TearDown() override {
        qputenv("PATH", path);
        ExchangeTest::TearDown();
    }
    // Puts first on PATH a stub xdg-email that writes its arguments, each ended by a NUL, to
    // bin/xdg-email.args and exits with the code in bin/xdg-email.code.
    std::string stub_mail_program() {
        const std::string bin = dir.file("bin/");
        QDir().mkpath(to_path(bin));
        EXPECT_TRUE(write_file_atomic(bin + "xdg-email",
                                      "#!/bin/sh\nprintf '%s\\0' \"$@\" > \"$0.args\"\n"
                                      "exit $(cat \"$0.code\")\n"));
        EXPECT_TRUE(write_file_atomic(bin + "xdg-email.code", "0"));
        QFile::setPermissions(to_path(bin + "xdg-email"), QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", QByteArray::fromStdString(bin) + ":" + path);
        return bin;
    }
    // Sends by the given choice and returns the box that reports it.
    std::string send(
        QRadioButton* Tmail_fic::*choice,
        const std::function<void(Tmail_fic&)>& prepare = [](auto&) {}) {
        Tmail_fic dialog;
        (dialog.*choice)->setChecked(true);
        prepare(dialog);
        dialog.Button1Click();
        return boxes.texts().empty() ? std::string() : boxes.texts().back();
    }
};

TEST_F(Sending, UploadPostsTheFieldsAndTheFileAndReadsTheReply) {
    // A long refusal shows as its first lines, each cut short.
    const std::string line = "<p>" + std::string(250, 'r') + "</p>\r\n";
    const QByteArray shown = QByteArray::fromStdString(line.substr(0, 100) + "\x85\n").repeated(10);
    HttpTestServer server(
        {{"/ok", reply("<html>merci <done> !</html>")},
         {"/caps", reply("<DONE>")},
         {"/fail", status(500)},
         {"/long", {200, line, false, {}, 0, {}, -1, 1000}},
         {"/endless", reply(std::string(kUploadReplyMaxBytes + 1, 'x'))},
         {"/slow", reply("<done>", false, 1.5)}, // longer than any wait for the next bytes
         {"/late", reply("<done>", false, 30)}});
    ASSERT_TRUE(server.running());
    for (auto [path, report] :
         {std::pair{"/ok", message(30, "Vev Karvelo ", additions_file_name)},
          {"/caps", message(27, additions_file_name, "<DONE>")},
          {"/fail", message(27, additions_file_name, "HTTP/1.0 500 Internal Server Error")},
          {"/long", message(27, additions_file_name, shown.toStdString() + "\x85")},
          {"/endless", message(27, additions_file_name, "The reply is larger than 1048576 bytes.")},
          {"/slow", message(30, "Vev Karvelo ", additions_file_name)}}) {
        selected_database->upload_address = server.url(path);
        EXPECT_EQ(send(&Tmail_fic::RadioButton1), report);
    }
    const auto sent = server.requests();
    ASSERT_EQ(sent.size(), 6u);
    const QJsonObject fields = sent[0]["fields"].toObject();
    EXPECT_EQ(fields.toVariantMap(), (QVariantMap{{"base", "Demo_annmarie"},
                                                  {"pass", QString::fromStdString(upload_pass())},
                                                  {"type", "vev"}}));
    const QJsonObject part = sent[0]["files"]["file"].toObject();
    EXPECT_EQ(
        part["filename"].toString() + "|" + part["content_type"].toString() + "|" +
            part["data"].toString(),
        QString::fromLatin1(file).replace('"', "%22").replace('\r', "%0D").replace('\n', "%0A") +
            "|application/msword|" + QString::fromLatin1(bytes));
    selected_database->upload_address = "http://127.0.0.1:1/refused";
    EXPECT_EQ(send(&Tmail_fic::RadioButton1).rfind(message(27, additions_file_name, ""), 0), 0u);
    // A server that answers only after 30 s. Clicks queued before the sending, sent to the
    // window as the window system sends them: the second send and the other choice come while
    // the upload runs and change nothing; Cancel, or Escape, ends it at once.
    selected_database->upload_address = server.url("/late");
    for (bool escape : {false, true}) {
        Tmail_fic d;
        d.show();
        for (QWidget* w : std::initializer_list<QWidget*>{d.Button1, d.Button1, d.RadioButton3})
            queue_click(w);
        QTimer::singleShot(300, &d, [&d, escape] {
            escape ? queue_key(&d, Qt::Key_Escape) : queue_click(d.Button2);
        });
        run_until_closed(d);
        EXPECT_EQ(boxes.texts().back(),
                  message(27, additions_file_name, "The transfer was cancelled."));
    }
    EXPECT_EQ(server.requests().size(), sent.size() + 2);
    EXPECT_THAT(send(&Tmail_fic::RadioButton1,
                     [](Tmail_fic& d) { d.IdHTTP1.options.total_timeout_ms = 300; }),
                testing::StartsWith(message(27, additions_file_name, "Operation timed out after")));
    // A file grown past the upload's limit after the command looked at it is not sent.
    const size_t posted = server.requests().size();
    ASSERT_TRUE(write_file_atomic(file, std::string(kUploadMaxBytes + 1, 'x')));
    selected_database->upload_address = server.url("/ok");
    EXPECT_THAT(
        send(&Tmail_fic::RadioButton1),
        testing::HasSubstr("\" is larger than " + std::to_string(kUploadMaxBytes) + " bytes."));
    EXPECT_EQ(server.requests().size(), posted);
}

// Return or Space typed half a second after the click on Send, while the server takes 30 s to
// answer, reaches no control that cancels: the upload goes on until Cancel ends it. A Tab to
// Cancel, then Space, ends it.
TEST_F(Sending, AKeyTypedAfterTheClickCancelsTheUploadOnlyOnCancel) {
    HttpTestServer server({{"/late", reply("<done>", false, 30)}});
    ASSERT_TRUE(server.running());
    selected_database->upload_address = server.url("/late");
    for (const int key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Tab}) {
        SCOPED_TRACE(key);
        ScriptedMessages reports;
        Tmail_fic d;
        d.show();
        EXPECT_EQ(after_key(d, d.Button1, d.Button2, key,
                            [&] {
                                return d.isVisible() && !d.Button1->isEnabled() &&
                                       reports.texts().empty();
                            }),
                  key == Qt::Key_Tab ? "ended by Space" : "went on");
        EXPECT_EQ(reports.texts(), std::vector<std::string>{message(
                                       27, additions_file_name, "The transfer was cancelled.")});
    }
}

TEST_F(Sending, MailGoesToTheMailProgram) {
    const std::string bin = stub_mail_program();
    const std::string failed = "Impossible d'envoyer le message.\n\nMAPI ERROR: ";
    for (auto [code, on_path, report] :
         {std::tuple{"0", true, message(30, "Vev Karvelo ", additions_file_name)},
          {"3", true,
           message(27, additions_file_name, failed + "103 (xdg-email: no mail program found).")},
          {"0", false, message(27, additions_file_name, failed + "1 (xdg-email not found).")}}) {
        ASSERT_TRUE(write_file_atomic(bin + "xdg-email.code", code));
        qputenv("PATH", on_path ? QByteArray::fromStdString(bin) + ":" + path : "/nonexistent");
        EXPECT_EQ(send(&Tmail_fic::RadioButton2), report);
    }
    std::string expected;
    for (const std::string arg :
         {"--utf8", "--subject", "Vev Karvelo: additions Vev_ajouts_Demo.txt", "--body",
          "Hello,\nHere is my additions file Vev_ajouts_Demo.txt.\nThank you!", "--attach",
          file.c_str(), "cartographes@example.org"})
        expected += arg + '\0';
    EXPECT_EQ(file_text(bin + "xdg-email.args"), expected);
    // Without an address or anything to send, nothing is handed over.
    for (auto [to, body] : {std::pair{"", "b"}, {"a", ""}})
        EXPECT_THAT(([to = to, body = body] {
                        send_mapi_mail(to, to, "self", "self", "s", body, "", true);
                    }),
                    testing::ThrowsMessage<tMailFileException>(
                        testing::StrEq("Impossible d'envoyer le message.\n\n.")));
}

// The collectors' address comes from a file that an update may replace: only a plain address
// reaches the mail program, never an option, a mailto: address or further recipients.
TEST_F(Sending, MailRefusesAnAddressThatIsNotPlain) {
    const std::string bin = stub_mail_program();
    const std::string refused =
        message(27, additions_file_name,
                "Impossible d'envoyer le message.\n\n" + std::string(kNotPlainAddress) + ".");
    for (const char* address : {"--help", "-x@example.org",
                                "mailto:x@example.org?attach=/etc/hostname&cc=spy@example.org",
                                "x@example.org?cc=spy@example.org", "x&cc=spy@example.org",
                                "x@example.org,spy@example.org", "x @example.org", "x@example.org ",
                                "x@example.org\r\nBcc: spy@example.org", "x\x7F@example.org",
                                "x%3F@example.org", "example.org", "x@y@example.org", "x@",
                                "x@.example.org", "x@example..org", "\xE9t\xE9@example.org"}) {
        selected_database->mail_address = address;
        EXPECT_EQ(send(&Tmail_fic::RadioButton2), refused) << address;
    }
    EXPECT_FALSE(QFile::exists(to_path(bin + "xdg-email.args")));
    for (const std::string address : {"o'neil+cartes@sub.example-site.org", "a.b_c/d=e~f@x9.org"}) {
        selected_database->mail_address = address;
        EXPECT_EQ(send(&Tmail_fic::RadioButton2), message(30, "Vev Karvelo ", additions_file_name));
        EXPECT_TRUE(file_text(bin + "xdg-email.args").ends_with('\0' + address + '\0'));
    }
}

// A database folder named outside Windows-1252: the upload's filename holds it as the "base"
// field does (UTF-8), and the mail's subject and body name the file whole.
TEST_F(Sending, NamesOutsideWindows1252GoOutWhole) {
    const std::string base = "\xD0\x91\xD0\xB0\xD0\xB7\xD0\xB0"; // "База"
    db_name = base;
    set_additions_file(base);
    file = ajouts_path + additions_file_native_name;
    ASSERT_TRUE(write_file_atomic(file, bytes));
    HttpTestServer server({{"/ok", reply("<done>")}});
    ASSERT_TRUE(server.running());
    selected_database->upload_address = server.url("/ok");
    EXPECT_EQ(send(&Tmail_fic::RadioButton1), message(30, "Vev Karvelo ", additions_file_name));
    ASSERT_EQ(server.requests().size(), 1u);
    const QJsonObject sent = server.requests()[0];
    EXPECT_EQ(sent["fields"]["base"].toString(), QString::fromLatin1(base + "_annmarie"));
    EXPECT_EQ(sent["files"]["file"]["filename"].toString(),
              to_path(file).replace('"', "%22").replace('\r', "%0D").replace('\n', "%0A"));
    const std::string bin = stub_mail_program();
    EXPECT_EQ(send(&Tmail_fic::RadioButton2), message(30, "Vev Karvelo ", additions_file_name));
    const std::string name = "Vev_ajouts_" + base + ".txt";
    std::string expected;
    for (const std::string& arg :
         std::vector<std::string>{"--utf8", "--subject", "Vev Karvelo: additions " + name, "--body",
                                  "Hello,\nHere is my additions file " + name + ".\nThank you!",
                                  "--attach", file, "cartographes@example.org"})
        expected += arg + '\0';
    EXPECT_EQ(file_text(bin + "xdg-email.args"), expected);
}

TEST_F(Sending, SendCommandChecksTheFileAndGivesTheUploadFlag) {
    TForm4 form(dir.path());
    ExchangeTest::SetUp(); // the window's creation reset the globals
    file = ajouts_path + additions_file_name;
    const std::string six = bytes + "a\r\nb\r\nc\r\n";
    struct Case {
        std::string content; // none: no file
        bool read_only;
        int answer;
        int feedback; // message of the feedback line, 0: none
        int dialogs;
        bool upload_allowed;
    } cases[] = {
        {"", false, 0, 28, 0, false},
        {"#v001\r\n#v1.06\r\n", false, 0, 31, 0, false},
        {bytes + "d\r\n", false, kAnswerNo, 0, 0, false},
        {bytes + "d\r\n", false, kAnswerYes, 0, 1, true},
        {six + std::string(256000 - six.size(), 'x'), false, 0, 0, 1, true},
        {six + std::string(256001 - six.size(), 'x'), false, 0, 0, 1, false},
        {six, true, 0, 68, 0, false},
    };
    for (const Case& c : cases) {
        QFile::remove(to_path(file));
        ASSERT_TRUE(c.content.empty() || write_file_atomic(file, c.content));
        selected_database->not_editable = c.read_only;
        form.feedback_lines.clear();
        ScriptedMessages answers;
        answers.answer({c.answer});
        bool upload_allowed = false;
        DialogAnswer dialog([&](QWidget* w) {
            upload_allowed = qobject_cast<Tmail_fic*>(w)->upload_allowed;
            qobject_cast<Tmail_fic*>(w)->reject();
        });
        form.but_mailClick();
        EXPECT_EQ(std::pair(dialog.seen(), upload_allowed), std::pair(c.dialogs, c.upload_allowed))
            << c.content.size();
        const std::string line = c.feedback == 0 ? "" : split_lines(message(c.feedback, file))[0];
        EXPECT_EQ(form.feedback_lines.empty() ? "" : form.feedback_lines.lines()[0].text, line);
    }
}

} // namespace
