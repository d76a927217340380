#pragma once
// Window frame of the small modal dialogs: a fixed client size, a title bar without buttons,
// 8-point Arial, centred on the screen when shown.

class QWidget;

// Fixes the client size, removes the border icons (close, minimise, maximise, help) and sets
// the font the layout is made for.
void set_fixed_dialog_frame(QWidget* dialog, int width, int height);

// Moves the window so that it is centred on its screen's available area.
void centre_on_screen(QWidget* window);
