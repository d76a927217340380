// Stand-ins for main-window routines of picking, the regions, the search, comment links, paths,
// areas and the map's context menu that the data sequences and the map view call in their
// order. Each is replaced by its real definition when the feature it belongs to is built.

#include "mainwindow/widgets/map.h"

// Empties the region list and RegionTree.
void TForm4::clear_regions() {}

// Builds the region list, the zones' grids and RegionTree.
void TForm4::build_regions() {}

// Empties the search result list.
void TForm4::clear_results() {}

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

// Rebuilds the paths of the shown continent.
void TForm4::build_paths() {}

// Rebuilds the overview link lines.
void TForm4::build_links() {}

void TForm4::Menu_imagePopup() {}
