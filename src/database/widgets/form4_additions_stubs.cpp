// Stand-ins for main-window operations the additions and the level filter call before the
// editing commands, and the map's paths are part of the program.
// Each is replaced by its real definition.

#include "mainwindow/widgets/map.h"

void TForm4::destroynode(TreeNode* node) {
    points_tree.delete_node(node);
}

void TForm4::update_path_colors() {}
