#pragma once
// What the user points at on the map: the marker under the mouse, the route under it, the other
// end of a bridge, and the content of the point hint (rHCaption).

#include "database/points_tree.h"
#include "mainwindow/map_paint.h"

#include <array>
#include <string>
#include <vector>

class TData_common;

// The node of the last marker within 3 pixels on both axes (what was painted last wins); x and
// y are taken as unsigned 16-bit values. Null when none matches.
TreeNode* marker_at(const TMarkerHits& hits, int x, int y);

// True when p lies within the ellipse with foci a and b whose distance sum is |ab| + 0.12.
bool near_segment(TPoint a, TPoint b, TPoint p);

// The first route, among those drawn in the last paint, with a segment near the screen position.
rwpitem* path_at(std::vector<rwpitem>& paths, const TMapView& view, TPoint p);

// The first point node, in display order from the tree's start, whose bridge has `own_id`.
TreeNode* bridge_end(const TPointsTree& tree, uint32_t own_id);

// The levels of a point as the hint shows them.
struct rItemReflvl {
    std::string level_min;
    std::string level_max;
    TColor colour_min = 0xFFFFFF;
    TColor colour_max = 0xFFFFFF;
};

// The content of the one hint window: filled before each point hint and by the editor's preview.
struct rHCaption {
    std::string title; // the category name
    std::string unused_text;
    std::string level_min;
    std::string level_max;
    std::string description;
    uint32_t unused_value = 0;
    int32_t category_id = 0;
    int32_t icon_base = 0; // the hint shows tree icon icon_base + 4
    TColor colour_min = 0xFFFFFF;
    TColor colour_max = 0xFFFFFF;
    TColor name_colour = 0;
    bool has_description = false;
    bool simple_mode = false;
    bool show_levels = false;
    TreeNode* node = nullptr;
};

// The shared hint content.
extern rHCaption HCaption;

// Categories of these types carry levels.
bool category_has_levels(const rCateg* category);

// Level texts and their colours seen from the player's level (coloured when `by_level`); empty
// texts and white for categories without levels.
rItemReflvl item_levels(const TNodeData& data, int32_t player_level, bool by_level);

// Fills the hint record for a point: category title and icon, levels, the name colour of its
// flags and its description (flag names, then the comment, cleaned into lines).
void fill_hint_caption(rHCaption& caption, const TNodeData& data, TreeNode* node,
                       const rItemReflvl& levels, const TData_common* common);

// The names of the set flags in the order of the flag specifications, each followed by "|";
// entries listed under a group are indented by five blanks and bracketed. One more "|" ends a
// text that is not empty.
std::string tags_text(const std::array<bool, 128>& flags, const TData_common& common);
