// Stand-ins for main-window routines of the map view, the regions, the paths and the search that
// the data load, unload, reload and recolouring call in their order. Each is replaced by its
// real definition when the feature it belongs to is built.

#include "mainwindow/widgets/map.h"

// Adds the continent's item to the region1 menu.
void TForm4::add_continent_menu(rContinent*, int) {}

// Frees what the shown continent holds; none is ever shown yet.
void TForm4::unload_continent() {
    continent_node = nullptr;
    current_continent = -1;
}

// Empties the region list and RegionTree.
void TForm4::clear_regions() {}

// Builds the region list, the zones' grids and RegionTree.
void TForm4::build_regions() {}

// Empties the search result list.
void TForm4::clear_results() {}

// Stores the cursor mode and sets the matching screen cursor.
void TForm4::set_cursor_mode(uint8_t) {}

// Makes the node the selected one on the map.
void TForm4::select_node(TreeNode*) {}

// Rebuilds the paths of the shown continent.
void TForm4::build_paths() {}

// Rebuilds the overview link lines.
void TForm4::build_links() {}

// Applies the zoom's visibility rules to categories and paths.
void TForm4::update_visibility() {}
