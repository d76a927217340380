#include "mainwindow/widgets/about.h"
#include "mainwindow/widgets/input_pseudo.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

namespace {

QStringList lines_of(const QPlainTextEdit* memo) {
    return memo->toPlainText().split(QLatin1Char('\n'));
}

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override {
        app_path = dir_.path();
        db_path = dir_.path() + "database/Alpha/";
        ASSERT_TRUE(QDir().mkpath(to_path(db_path)));
        res_captions.assign(90, "-");
        res_captions[41] = "readme.txt is missing.";
        res_captions[80] = std::string("Cr\xE9") + "dits:";
        res_about = {"-", "Vev Karvelo v1.06", "Description", "Thanks to all"};
        res_infos.assign(28, "(cut)");
    }

    SavedGlobals saved_;
    TempDir dir_;
};

} // namespace

// The readme from its third line under the header, the credits under their heading; a text past
// its limits shows its first part and a last line saying so.
TEST_F(AboutBox, ShowsReadmeAndCreditsUpToTheirLimits) {
    const QStringList header = {"Vev Karvelo v1.06", "Thanks to all", ""};
    const std::vector<std::pair<const char*, QStringList>> readmes = {
        {nullptr, {"readme.txt is missing."}},
        {"Title\n=====", {}},
        {"Title\r\n=====\r\nLine three\r\nLine f\xF6ur\r\n",
         {"Line three", QString::fromUtf8("Line föur")}},
        {"T\n=\n", {QString(4096, 'r'), "(cut)"}}, // one character past a line's length
    };
    for (const auto& [readme, body] : readmes) {
        const std::string past(body.endsWith("(cut)") ? 4097 : 0, 'r');
        ASSERT_TRUE(!readme || support::write_raw(app_path + "readme.txt", readme + past));
        TForm5 box;
        EXPECT_EQ(lines_of(box.Memo1), header + body) << (readme ? readme : "missing");
        EXPECT_TRUE(box.Memo2->toPlainText().isEmpty()); // no creditlist.inf
    }
    const QStringList heading = {QString::fromUtf8("Crédits:"), ""};
    // A stream cut before its checksum fails: what it inflated is shown.
    std::string cut = support::zlib_compress("Alice\nBob\n");
    cut.resize(cut.size() - 4);
    std::string full = "Alice\n";
    while (full.size() < kAboutTextLimits.bytes)
        full += "z\n";
    const QStringList first = heading + QStringList{"Alice"} + QStringList(32765, "z");
    const std::vector<std::pair<std::string, QStringList>> credits = {
        {support::zlib_compress("Alice\r\nBob \xE9t\xE9\r\n"),
         heading + QStringList({"Alice", QString::fromUtf8("Bob été")})},
        {cut, heading + QStringList({"Alice", "Bob"})},
        {"not a zlib stream", heading},
        {support::zlib_compress(full), first}, // up to the limit, and one byte past it
        {support::zlib_compress(full + "y"), first + QStringList{"(cut)"}},
    };
    for (const auto& [bytes, lines] : credits) {
        ASSERT_TRUE(support::write_raw(db_path + "creditlist.inf", bytes));
        TForm5 box;
        EXPECT_EQ(lines_of(box.Memo2), lines);
    }
}

TEST(NicknameDialog, TakesAtMostFortyCharactersOnOneLineAndClosesWithItsButton) {
    SavedGlobals saved;
    ScriptedMessages boxes;
    TForm6 dialog;
    QTimer::singleShot(0, &dialog, [&] {
        // A pasted second line keeps it open, whichever way it closes, and loses nothing.
        QApplication::clipboard()->setText(QStringLiteral("Ond\nine"));
        dialog.Edit1->paste();
        dialog.Button1->click();
        dialog.close();
        EXPECT_TRUE(dialog.isVisible() && boxes.shown().size() == 2u);
        EXPECT_EQ(dialog.Edit1->text(), "Ond\nine");
        dialog.Edit1->clear();
        for (int i = 0; i < 41; ++i) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
            QApplication::sendEvent(dialog.Edit1, &key);
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(dialog.Edit1, &enter); // Enter presses the default button
    });
    QTimer::singleShot(5000, &dialog, [&] { dialog.QDialog::done(QDialog::Rejected); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.Edit1->text(), QString(40, QLatin1Char('a')));
}
