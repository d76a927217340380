#include "mainwindow/widgets/dialog_frame.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "foundation/func_ressource.h"

void set_fixed_dialog_frame(QWidget* dialog, int width, int height) {
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog->setFixedSize(width, height);
    // The pixel layouts are made for 8-point Arial on a 96 dpi screen, the feedback font.
    dialog->setFont(feedback_font());
}

void centre_on_screen(QWidget* window) {
    QScreen* screen = window->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}
