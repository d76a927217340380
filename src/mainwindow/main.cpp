#include "mainwindow/widgets/map.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vev Karvelo"));
    TForm4 form;
    form.show();
    return QApplication::exec();
}
