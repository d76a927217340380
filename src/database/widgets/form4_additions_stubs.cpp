// Stand-ins for main-window operations the additions and the level filter call before the
// editing commands, and the map's paths are part of the program.
// Each is replaced by its real definition.

#include "foundation/node_data.h"
#include "mainwindow/widgets/map.h"

void TForm4::destroynode(TreeNode* node) {
    if (clipboard_node && clipboard_node->source_node == node)
        clipboard_node->source_node = nullptr;
    points_tree.delete_node(node);
    select_node(nullptr);
}

void TForm4::update_path_colors() {}
