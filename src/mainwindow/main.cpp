#include "foundation/widgets/message_box.h"
#include "mainwindow/widgets/map.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vev karvelo"));
    install_message_box_handler();
    TForm4 form;
    form.show();
    // The start-up proper runs once, when the window is first on screen.
    QTimer::singleShot(0, &form, [&form] { form.FormActivate(); });
    return QApplication::exec();
}
