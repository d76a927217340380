// Stand-ins for main-window routines of the search, comment links, the editing commands and the
// map's context menu that the data sequences and the map view call in their order. Each is
// replaced by its real definition when the feature it belongs to is built.

#include "mainwindow/widgets/map.h"

// Empties the search result list.
void TForm4::clear_results() {}

void TForm4::end_search_area() {}

void TForm4::clear_redirects() {}

void TForm4::parse_redirects(TreeNode*) {}

// Opens the point editor on a point.
void TForm4::edit_point_dialog(TreeNode*) {}

// Opens the point editor on a new point at the mouse position.
void TForm4::add_point_dialog() {}

void TForm4::Menu_imagePopup() {}
