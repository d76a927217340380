#include "mainwindow/widgets/map.h"

TForm4::TForm4(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Vev Karvelo"));
    resize(1024, 720);
}

TForm4::~TForm4() = default;
