// Stand-ins for the editing commands the result list's popup menu calls; each is replaced by its
// real definition when the editing commands are built.

#include "mainwindow/widgets/map.h"

// Copies the point to the clipboard and removes it.
void TForm4::cut_point(TreeNode*) {}

// The current database is the one the additions go to.
bool TForm4::may_edit_db() {
    return false;
}
