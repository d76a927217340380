// Stand-ins for main-window routines of comment links, the editing commands and the map's
// context menu that the data sequences and the map view call in their order. Each is replaced by
// its real definition when the feature it belongs to is built.

#include "mainwindow/widgets/map.h"

void TForm4::clear_redirects() {}

void TForm4::parse_redirects(TreeNode*) {}

// Opens the point editor on a point.
void TForm4::edit_point_dialog(TreeNode*) {}

// Opens the point editor on a new point at the mouse position.
void TForm4::add_point_dialog() {}

void TForm4::Menu_imagePopup() {}
