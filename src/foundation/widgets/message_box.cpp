#include "foundation/widgets/message_box.h"
#include "foundation/widgets/func_karvo_widgets.h"

#include <QApplication>
#include <QMessageBox>

#include "foundation/text_codec.h"

int run_message_box(MessageKind kind, const std::string& text) {
    QString body = to_qstring(text);
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QMessageBox box(QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // "<erreur de ressource>" is not markup
    box.setText(body);
    switch (kind) {
    case MessageKind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        box.setWindowTitle(QApplication::applicationName());
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageKind::Information:
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(QStringLiteral("Information"));
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageKind::Question:
        box.setIcon(QMessageBox::Question);
        box.setWindowTitle(QStringLiteral("Confirmation"));
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    const int chosen = exec_modal(box);
    if (kind != MessageKind::Question)
        return 0;
    switch (chosen) {
    case QMessageBox::Yes:
        return kAnswerYes;
    case QMessageBox::No:
        return kAnswerNo;
    default:
        return kAnswerCancel;
    }
}

void install_message_box_handler() {
    set_message_handler(run_message_box);
}
