// Stand-in for the main-window operation the additions call before the editing commands are
// part of the program; it is replaced by its real definition.

#include "mainwindow/widgets/map.h"

void TForm4::destroynode(TreeNode* node) {
    points_tree.delete_node(node);
}
