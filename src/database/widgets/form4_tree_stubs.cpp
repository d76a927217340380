// Stand-ins for the main-window operations the points tree calls before the map view and the
// link authoring are part of the program. Each is replaced by its real definition.

#include "mainwindow/widgets/map.h"

void TForm4::show_on_map(TreeNode*, int, int, uint8_t) {}

void TForm4::add_link_line(TreeNode*, TreeNode*) {}
