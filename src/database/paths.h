#pragma once
// The geometry of link strings: routes ("V_") as polylines that start at their point, areas
// ("S_", "I_", "M_") as closed polygons with their bounding box, and the overview lines from a
// point to the points its comment names in braces. All positions are world units.

#include "database/points_tree.h"
#include "mainwindow/map_paint.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A route string has 6 + 8 n characters (n >= 1: the first waypoint, then the steps), an area
// string 18 + 8 n (n >= 1 steps). Shorter strings and strings holding a character that is no
// hexadecimal digit cannot be decoded.
bool path_length_ok(size_t length);
bool area_length_ok(size_t length);

// Colour and points of the route of a point in `zone`: its own position, the first waypoint
// (zone-local), then each step (dy subtracted). False, the record untouched, when the string
// cannot be decoded.
bool decode_path(const rItemdata& item, const pMap_info& zone, rwpitem& path);

// Colours and corners of an area, as its link command set them. False, the record untouched,
// when the string cannot be decoded.
bool decode_area(const rItemdata& item, rwpitem& area);

// The bounding box of the points; left as it is with fewer than two points.
void area_bounds(rwpitem& area);

// Decodes the point's area into `area` (node, item and category cleared) with its bounding box.
// False, `area` untouched, when the point has no area string that can be decoded.
bool build_area(const TNodeData& data, rwpitem& area);

// The routes of the checked, visible points of the zones (in the zones' order, each zone's
// points in display order) whose strings can be decoded.
void build_paths(const std::vector<pMap_info*>& zones, std::vector<rwpitem>& paths);

// The names a comment gives between "{" and "}", in order: braces do not nest (a second "{"
// starts the name again), "{}" and an unclosed "{" name nothing.
std::vector<std::string> comment_link_names(std::string_view comment);

// The overview line from a point to another: own positions in world units, the source's colour
// made opaque.
rMapLine overview_line(const TreeNode* source, const TreeNode* target);

// Walks the checked, visible points of the zones, passing over the categories that are no link
// targets, and calls `on_comment` with each point and its comment.
void walk_link_sources(const std::vector<pMap_info*>& zones,
                       const std::function<void(TreeNode*, const std::string&)>& on_comment);
