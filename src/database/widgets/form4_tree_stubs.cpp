// Stand-in for the main-window operation the points tree calls before the link authoring is part
// of the program; it is replaced by its real definition.

#include "mainwindow/widgets/map.h"

void TForm4::add_link_line(TreeNode*, TreeNode*) {}
