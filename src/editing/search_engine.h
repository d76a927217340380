#pragma once
// The search: which points pass the criteria of a search object, their relevance scores and
// marks, and the orders of the result list. It walks the points tree in display order and reads
// the map view and the scoring weights of the preferences; no window is involved.

#include "database/points_tree.h"
#include "foundation/func_type.h"
#include "mainwindow/map_view.h"
#include "mainwindow/preferences.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Criteria bits of TSearchArea::criteria.
constexpr uint16_t kSearchNames = 0x0001;
constexpr uint16_t kSearchComments = 0x0002;
constexpr uint16_t kSearchLevels = 0x0004;
constexpr uint16_t kSearchLocked = 0x0008;
constexpr uint16_t kSearchOwnAdditions = 0x0010;
constexpr uint16_t kSearchProperties = 0x0020;
constexpr uint16_t kSearchCategories = 0x0040;
constexpr uint16_t kSearchRegions = 0x0080;
constexpr uint16_t kSearchZoneClasses = 0x0100;
constexpr uint16_t kSearchOutsideRegions = 0x0200;
constexpr uint16_t kSearchLinkKind = 0x0400;
constexpr uint16_t kSearchCommentSize = 0x0800;

// Derives the text weights, the distance cap, the top of the scale and the four mark levels
// from the weight unit.
void init_score_levels(TPreference& pref = rPreference);

// 1-based position of the key in the text; 0 when it is not there or holds only blanks.
size_t key_position(std::string_view text, std::string_view key);

// Score of a key found at 1-based `pos` of a normalised text; a name loses the length
// difference once more.
int32_t score_text(std::string_view text, std::string_view key, size_t pos, bool is_name,
                   const TPreference& pref = rPreference);

// The map view the distance and on-screen scores are measured against.
struct TSearchView {
    TMapView view;
    int32_t current_continent = -1;
};

// Closeness of a point to the view centre; 0 off the shown continent.
int32_t score_distance(const TNodeData& data, const TSearchView& view,
                       const TPreference& pref = rPreference);
// Categories drawn from the first detail level score highest.
int32_t score_category(const TNodeData& data, const TPreference& pref = rPreference);
// The bonus of a point inside the visible map.
int32_t score_onscreen(const TNodeData& data, const TSearchView& view,
                       const TPreference& pref = rPreference);
// "+++" down to "---".
std::string score_marks(int32_t score, const TPreference& pref = rPreference);

// One row of the result list.
struct rSearchResult {
    TreeNode* node = nullptr;
    int32_t score = 0;
};

// The region entry holding a zone position, or null.
using TRegionLookup = std::function<const rRegion*(const pMap_info& zone, TPoint position)>;

// The points of the tree, in display order, that pass every criterion that is on, with their
// scores. Points whose names start with "@" are never found.
std::vector<rSearchResult> find_points(const TPointsTree& tree, const TSearchArea& area,
                                       const TSearchView& view, const TRegionLookup& region_at,
                                       const TPreference& pref = rPreference);

// Result-list columns: name, relevance marks, category icon, zone icon.
constexpr int kResultName = 0;
constexpr int kResultMarks = 1;
constexpr int kResultCategory = 2;
constexpr int kResultZone = 3;

// Sorts the rows by a column: names ignoring case; marks best first; category id, then name;
// zone class, then name. Rows with equal keys keep their order.
void sort_results(std::vector<rSearchResult>& rows, int column, bool ascending);
