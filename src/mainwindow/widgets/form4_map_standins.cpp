// Stand-ins for the operations the map view calls before picking, regions, the search area,
// comment links, paths, areas and the map's context menu are part of the program. Each is
// replaced by its real definition.

#include "mainwindow/widgets/map.h"

bool TForm4::map_click(int, int, int) {
    return false;
}

bool TForm4::path_at(int, int, int) {
    return false;
}

void TForm4::end_search_area() {}

TreeNode* TForm4::region_at(pMap_info*, TPoint) {
    return nullptr;
}

void TForm4::clear_redirects() {}

void TForm4::parse_redirects(TreeNode*) {}

void TForm4::build_area(TreeNode*) {}

void TForm4::build_paths() {}

void TForm4::build_links() {}

void TForm4::Menu_imagePopup() {}
