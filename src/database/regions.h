#pragma once
// Regions: the areas of locked points in categories that take part in regions, listed in build
// order (at most 255) and rasterised into a 48 x 48 grid per zone, whose cell value k names
// entry k - 1 of the list, so that the region of a zone position is one array read.

#include "database/points_tree.h"

#include <cstdint>
#include <memory>
#include <vector>

class TData_map;

struct rRegion {
    TreeNode* node = nullptr;
    TNodeData* node_data = nullptr;
    pMap_info* zone = nullptr;
    std::unique_ptr<rwpitem> area; // the polygon, only while the grids are built
};
using TRegionList = std::vector<std::unique_ptr<rRegion>>;

constexpr size_t kMaxRegions = 255;
constexpr int kRegionCells = 48;
// Width of a cell when a position is looked up (the raster's cell is 65535 / 48 = 1365.3125).
constexpr int32_t kRegionLookupCell = 1365;
// Shift of every corner before rasterising: about half a cell, so that cell centres are sampled.
constexpr int32_t kRegionShift = -682;

// Builds the list from the zones in the map data's order, pass 1 then pass 2, and the grids of
// every zone. `list` should be empty.
void build_regions(const TData_map& map_data, TRegionList& list);

// The bitmap pixel of a world position in a zone's 49 x 49 raster whose grid origin is `origin`.
TPoint region_grid_pos(TPoint origin, TPoint world);

// The grid origin of a zone: (-Round(origin x / 65535 * 48), Round(stored origin y / 65535 * 48)).
TPoint region_grid_origin(const pMap_info& zone);

// Sets to `value` the cells of a size x size raster (row-major) whose centres, at integer
// coordinates, lie inside the polygon by the non-zero winding rule. A centre exactly on an edge
// counts on a left or top edge and not on a right or bottom one, so polygons that share an edge
// share no cell.
void fill_polygon(std::vector<uint8_t>& raster, int size, const std::vector<TPoint>& polygon,
                  uint8_t value);

// The entry whose cell holds the zone position, or null: no zone, no grid, value 0.
rRegion* region_at(const TRegionList& list, const pMap_info* zone, TPoint position);

// Node data of a RegionTree row (and of the search dialog's region branch): kind 3 and the entry.
struct rRegionNodeData {
    int32_t kind = 3;
    rRegion* region = nullptr;
};
constexpr int32_t kRegionNodeKind = 3;
// One row per list entry, in list order, appended to `rows`.
void list_to_tree(std::vector<rRegionNodeData>& rows, const TRegionList& list);

// Order of two RegionTree rows for a column: 0 by name (letters without regard to case), 1 by
// category from the highest index down, 2 by zone icon, then category as in 1; names decide
// within equal keys.
int compare_region_rows(const rRegion& a, const rRegion& b, int column);
