#pragma once
// The level filter of the points tree: which nodes it shows, and the level a point is coloured
// for against the player's level.

#include "database/points_tree.h"

#include <cstdint>

struct TLevelFilter {
    bool on = false; // the filter check box
    int32_t min = 0; // 0..99
    int32_t max = 99;
};

// The level a point of levels min..max is coloured for: 0 when min is 0, else the player level
// brought into min..max.
int32_t nearest_level(int32_t min, int32_t max, int32_t player_level);

// Sets the visibility of one node: a category node is shown when it has children; a point node
// when its name does not start with "@" and, for a level-coloured category (type 1) while the
// filter is on, its levels meet the filter range. Continent and zone nodes are left as they are.
void hide_node(TPointsTree& tree, TreeNode* node, const TLevelFilter& filter);

// hide_node on `start` and every node after it in display order, hidden ones included.
void hide_nodes_from(TPointsTree& tree, TreeNode* start, const TLevelFilter& filter);
