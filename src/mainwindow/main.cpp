#include "foundation/widgets/message_box.h"
#include "mainwindow/widgets/map.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vev Karvelo"));
    install_message_box_handler();
    TForm4 form;
    form.show();
    return QApplication::exec();
}
