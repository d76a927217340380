// Stand-in for the main-window operation the additions call before the editing commands are
// part of the program; it is replaced by its real definition.

#include "foundation/node_data.h"
#include "mainwindow/widgets/map.h"

void TForm4::destroynode(TreeNode* node) {
    if (clipboard_node && clipboard_node->source_node == node)
        clipboard_node->source_node = nullptr;
    // Nothing may pick the deleted node before the next paint.
    marker_hits.clear();
    if (hovered_node == node)
        hovered_node = nullptr;
    points_tree.delete_node(node);
    select_node(nullptr);
    current_point = nullptr;
}
