#pragma once
// The logic of the editing commands and the point editor: the records through which edited,
// pasted and deleted points enter the points tree, the clipboard copy, the references of a
// comment as menu items, the editor's input checks, its level bands and default names, and the
// change of every same-named point.

#include "database/points_tree.h"
#include "foundation/node_data.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// ---- Records of points ----

// What the editor holds of a point.
struct TPointInput {
    std::string name;
    std::string comment;
    TFlagSet flags;
    std::string link;
    int32_t category_id = 0;
    int32_t level_min = 0;
    int32_t level_max = 0;
};

// The record of a user addition: the values at a zone position of the zone, in the category.
rnew_node addition_record(const TPointInput& input, TPoint at, pMap_info* zone, rCateg* category,
                          int32_t master_id, bool locked);

// The record of a point as it stands (its zone, category, master id and lock kept), as a user
// addition carrying `link`.
rnew_node point_record(const TreeNode& point, const std::string& link);

// The hidden "@" entry that hides a database point when the additions are merged again.
rnew_node deletion_entry(const TreeNode& point);

// A zone position of the zone node at which no point of that zone stands: `pos` itself, else
// the next x to the right (wrapping within the zone). Two user points at one position would not
// both survive a reload of an editable database.
TPoint free_position(const TreeNode* zone_node, TPoint pos);

// ---- The clipboard copy ----

// Copies the point into the clipboard copy (position 0, no master id, not locked), or empties
// the copy for no point; the source node becomes `node`. Nothing for a node without item data.
void copy_to_clipboard(TNodeDataCopy& copy, TreeNode* node);

// The new point a paste makes: the copy's texts, levels, flags and link at the zone position.
// A bridge whose id a point of the tree holds is left out (the copied point still stands; after
// a cut, the first paste moves the bridge end).
rnew_node paste_record(const TNodeDataCopy& copy, pMap_info& zone, TPoint pos,
                       const TPointsTree& tree);

// ---- References of a comment ----

// One item of the map's menu for a "{" name "}" reference: the name without its "#" id, Tag 256
// + the id (256 without one; a number too long for an id counts as none), and whether it carries
// the web image (read-only database and an id of 1 or more).
struct TReferenceItem {
    std::string caption;
    int tag = 256;
    bool web = false;
};
std::vector<TReferenceItem> reference_items(const std::string& comment, bool read_only);

// The id after the first "#" of a text, 0 when none (or too long).
int32_t first_id(const std::string& text);

// ---- The point editor ----

// The message of the first fault of the editor's input, 0 when none: 17 no name (or the
// default one), 62 no category, 18 "#", "|" or "@" in the name, 24 "|" or "#" in a comment
// line.
int point_input_fault(const std::string& trimmed_name, const std::string& default_name,
                      bool has_category, const std::vector<std::string>& comment_lines);

// The length of a comment as its counters show it: a line break counts two characters.
int comment_length(const std::vector<std::string>& lines);

// The unchanged test: the editor's values against the point's.
bool same_point(const TreeNode& point, const TPointInput& input);

// The level range of colour band `band` (0 grey .. 5 dark red) seen from the player: from the
// first level 0..99 of that colour to the level before the next band (99 for dark red); 0..0
// when the band is not found (always with colouring off).
struct TLevelRange {
    int32_t min = 0;
    int32_t max = 0;
};
TLevelRange level_band(int band, int32_t player, bool colouring);

// The name box after a category is chosen: the category's default name replaces an empty box,
// the generic default name or another category's default name; a category without its own
// default name turns another category's default name into the generic one.
std::string name_for_category(const std::string& name_box, const std::string& default_name,
                              const rCateg& chosen, const std::vector<rCateg*>& categories);

// Which parts of the edited point go to every same-named point of its category.
struct TSameNameChange {
    bool name = false;
    bool comment = false;
    bool flags = false;
    bool levels = false;
    TPointInput input;
};

// Changes in place every unlocked point other than `edit_node` whose search key is `key` and
// whose category id is the input's; each becomes a user addition. Returns how many changed.
int32_t apply_to_same_named(const TPointsTree& tree, const TreeNode* edit_node,
                            const std::string& key, const TSameNameChange& change,
                            const TPropertyColors* property_colors);
