#include "foundation/widgets/message_box.h"
#include "support/dialog_answer.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <gtest/gtest.h>

namespace {

// Runs a real box and presses one of its buttons as soon as it is up.
struct Pressed {
    int result;
    QString text;
    Qt::TextFormat format;
    QString title;
};

Pressed press(MessageKind kind, const std::string& text, QMessageBox::StandardButton button) {
    Pressed seen{};
    DialogAnswer answer([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        seen = {0, box->text(), box->textFormat(), box->windowTitle()};
        box->button(button)->click();
    });
    seen.result = run_message_box(kind, text);
    return seen;
}

} // namespace

TEST(MessageBox, AnswersMapToDialogResultsAndTextsArePlain) {
    for (auto [button, result] : {std::pair{QMessageBox::Yes, kAnswerYes},
                                  {QMessageBox::No, kAnswerNo},
                                  {QMessageBox::Cancel, kAnswerCancel}})
        EXPECT_EQ(press(MessageKind::Question, "?", button).result, result);
    Pressed seen = press(MessageKind::Information, "<erreur de ressource>\rn\xE9", QMessageBox::Ok);
    EXPECT_EQ(std::tuple(seen.result, seen.text, seen.format),
              std::tuple(0, QStringLiteral("<erreur de ressource>\nné"), Qt::PlainText));
    QApplication::setApplicationName(QStringLiteral("Vev Karvelo"));
    EXPECT_EQ(press(MessageKind::Plain, "x", QMessageBox::Ok).title, QStringLiteral("Vev Karvelo"));
}
