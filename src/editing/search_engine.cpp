#include "editing/search_engine.h"

#include "foundation/func_karvo.h"
#include "foundation/node_data.h"

#include <algorithm>
#include <cmath>
#include <optional>

void init_score_levels(TPreference& p) {
    const int32_t u = p.score_unit;
    p.text_exact = 12 * u;
    p.text_start_blank = 11 * u;
    p.text_word_start = 7 * u;
    p.text_word_end_bonus = 3 * u;
    p.text_inside = 6 * u;
    p.distance_cap = int32_t(std::nearbyint(6.0 * u));
    p.score_max = 10 * u + p.distance_cap;
    p.mark_level_1 = int32_t(std::nearbyint(p.score_max * 0.75));
    p.mark_level_2 = int32_t(std::nearbyint(p.score_max * 0.68));
    p.mark_level_3 = int32_t(std::nearbyint(p.score_max * 0.5));
    p.mark_level_4 = int32_t(std::nearbyint(p.score_max * 0.37));
}

size_t key_position(std::string_view text, std::string_view key) {
    // A key of blanks alone (typed punctuation) would find every word boundary.
    if (key.find_first_not_of(' ') == std::string_view::npos)
        return 0;
    const size_t at = text.find(key);
    return at == std::string_view::npos ? 0 : at + 1;
}

int32_t score_text(std::string_view text, std::string_view key, size_t pos, bool is_name,
                   const TPreference& p) {
    if (p.text_exact == 0 || pos == 0)
        return 0;
    const auto t = int32_t(text.size());
    const auto k = int32_t(key.size());
    const int32_t d = t - k;
    const auto blank_at = [&](int32_t one_based) {
        return one_based >= 1 && one_based <= t && text[size_t(one_based - 1)] == ' ';
    };
    int32_t s = 0;
    if (pos == 1) {
        if (k == t)
            s = p.text_exact;
        else if (blank_at(k + 1))
            s = p.text_start_blank;
        else
            s = p.text_word_start - d;
    } else {
        const auto at = int32_t(pos);
        s = p.text_inside;
        if (blank_at(at - 1)) {
            s = p.text_word_start;
            if (at + k > t || blank_at(at + k))
                s += p.text_word_end_bonus;
        }
    }
    return is_name ? s - d : s;
}

namespace {

// The world position of a point, when its zone lies on the shown continent.
bool world_on_continent(const TNodeData& data, const TSearchView& v, TPoint& world) {
    const pMap_info* zone = data.owner_zone;
    if (!zone || !data.item || zone->continent_id != v.current_continent)
        return false;
    world = worldmaptoworld({data.item->x, data.item->y}, *zone);
    return true;
}

} // namespace

int32_t score_distance(const TNodeData& data, const TSearchView& v, const TPreference& p) {
    TPoint world;
    if (p.weight_distance == 0.0f || !world_on_continent(data, v, world))
        return 0;
    const int32_t d = distance(world, v.view.screentoworld(v.view.view_center()));
    // Too far for the distance to be measured: as good as nowhere near.
    if (d < 0)
        return 0;
    auto s = int32_t(std::nearbyint(1.0 / (d + 1) * 10000 * double(p.weight_distance)));
    if (s > p.distance_cap)
        s = p.distance_cap + s / 500;
    return s;
}

int32_t score_category(const TNodeData& data, const TPreference& p) {
    if (p.weight_category == 0 || !data.category)
        return 0;
    return p.weight_category * 3 - p.weight_category * data.category->detail_level;
}

int32_t score_onscreen(const TNodeData& data, const TSearchView& v, const TPreference& p) {
    TPoint world;
    if (p.weight_onscreen == 0 || !world_on_continent(data, v, world))
        return 0;
    return v.view.on_screen(v.view.worldtoscreen(world)) ? p.weight_onscreen : 0;
}

std::string score_marks(int32_t score, const TPreference& p) {
    if (score > p.score_max)
        return "+++";
    if (score > p.mark_level_1)
        return "++";
    if (score > p.mark_level_2)
        return "+";
    if (score > p.mark_level_3)
        return "-";
    if (score > p.mark_level_4)
        return "--";
    return "---";
}

namespace {

// The tests of the criteria word, in their order; the text match is left to the caller.
class CriteriaTest {
public:
    CriteriaTest(const TSearchArea& area, const TRegionLookup& region_at)
        : a_(area), region_at_(region_at), regions_(area.regions.begin(), area.regions.end()) {
        std::sort(regions_.begin(), regions_.end());
        if (!area.key.empty())
            comment_size_ = str_to_int_def0(area.key);
    }

    bool passes(const TNodeData& d) {
        const rItemdata& item = *d.item;
        const uint16_t c = a_.criteria;
        if (c & kSearchCommentSize) {
            const int32_t limit = comment_size_ ? *comment_size_
                                  : d.category  ? d.category->comment_limit
                                                : 0;
            if (int64_t(item.comment.size()) <= limit)
                return false;
        }
        if ((c & kSearchLinkKind) && (!item.command || item.command->kind != a_.command_kind))
            return false;
        if ((c & kSearchLocked) && !item.locked)
            return false;
        if ((c & kSearchOwnAdditions) && item.from_master)
            return false;
        if ((c & kSearchZoneClasses) &&
            (!d.owner_zone || !a_.zone_classes.test(d.owner_zone->zone_class)))
            return false;
        if (c & (kSearchRegions | kSearchOutsideRegions)) {
            const rRegion* r =
                d.owner_zone && region_at_ ? region_at_(*d.owner_zone, {item.x, item.y}) : nullptr;
            if ((c & kSearchRegions) &&
                (!r || !std::binary_search(regions_.begin(), regions_.end(), r)))
                return false;
            if ((c & kSearchOutsideRegions) && r)
                return false;
        }
        if ((c & kSearchCategories) && !category_listed(d.category))
            return false;
        if ((c & kSearchLevels) && (a_.level_to < item.level_min || a_.level_from > item.level_max))
            return false;
        if (c & kSearchProperties)
            for (size_t i = 0; i < 4; ++i) {
                const uint32_t m = item.flags.w[i] | a_.flags_indifferent.w[i];
                if ((m & a_.flags_present.w[i]) != a_.flags_present.w[i] ||
                    ~m != a_.flags_absent.w[i])
                    return false;
            }
        return true;
    }

private:
    // Points come grouped by category: the answer for the last one is kept.
    bool category_listed(const rCateg* category) {
        if (category != last_category_ || !category_known_) {
            last_category_ = category;
            category_known_ = true;
            last_listed_ = std::find(a_.categories.begin(), a_.categories.end(), category) !=
                           a_.categories.end();
        }
        return last_listed_;
    }

    const TSearchArea& a_;
    const TRegionLookup& region_at_;
    std::vector<const rRegion*> regions_;
    std::optional<int32_t> comment_size_; // none: each category's own limit
    const rCateg* last_category_ = nullptr;
    bool category_known_ = false;
    bool last_listed_ = false;
};

} // namespace

std::vector<rSearchResult> find_points(const TPointsTree& tree, const TSearchArea& area,
                                       const TSearchView& view, const TRegionLookup& region_at,
                                       const TPreference& pref) {
    std::vector<rSearchResult> found;
    CriteriaTest criteria(area, region_at);
    const bool names = area.criteria & kSearchNames;
    const bool comments = area.criteria & kSearchComments;
    std::string comment_key;
    const auto test = [&](TreeNode* n) {
        const TNodeData& d = *n->data;
        // The search key keeps the "@" of a hidden name.
        if (!criteria.passes(d) || is_hidden_name(d.item->key))
            return;
        int32_t score = 0;
        if (names || comments) {
            bool matched = false;
            if (names) {
                const size_t pos = key_position(d.item->key, area.key);
                matched = pos > 0;
                if (matched)
                    score = score_text(d.item->key, area.key, pos, true, pref);
            }
            if (comments && !matched) {
                // Only comments are folded during the search, into one reused buffer.
                normalise_into(comment_key, d.item->comment);
                const size_t pos = key_position(comment_key, area.key);
                matched = pos > 0;
                if (matched)
                    score = score_text(comment_key, area.key, pos, false, pref) / 2;
            }
            if (!matched)
                return;
        }
        score +=
            score_distance(d, view, pref) + score_category(d, pref) + score_onscreen(d, view, pref);
        found.push_back({n, score});
    };
    // Points are the children of category nodes; the rest of the tree is only walked through.
    // Each category's points are first gathered, their texts asked for ahead of their tests:
    // the points lie anywhere in memory, and a light first pass lets those fetches overlap.
    std::vector<TreeNode*> points;
    for (TreeNode* n = tree.first(); n;) {
        if (n->level != kLevelCategory) {
            n = TPointsTree::next(n);
            continue;
        }
        points.clear();
        for (const auto& child : n->children)
            if (const rItemdata* item = child->item(); item && child->level == kLevelPoint) {
                points.push_back(child.get());
                __builtin_prefetch(item->key.data());
                if (comments)
                    __builtin_prefetch(item->comment.data());
            }
        for (TreeNode* point : points)
            test(point);
        n = TPointsTree::next_after_subtree(n);
    }
    return found;
}

void sort_results(std::vector<rSearchResult>& rows, int column, bool ascending) {
    const auto name = [](const rSearchResult& r) -> std::string_view {
        return r.node->item()->name;
    };
    const auto key = [&](const rSearchResult& a, const rSearchResult& b) -> int64_t {
        switch (column) {
        case kResultMarks:
            return int64_t(b.score) - a.score;
        case kResultCategory: {
            const rCateg* ca = a.node->data->category;
            const rCateg* cb = b.node->data->category;
            const int64_t d = int64_t(ca ? ca->id : 0) - (cb ? cb->id : 0);
            return d != 0 ? d : compare_text(name(a), name(b));
        }
        case kResultZone: {
            const pMap_info* za = a.node->data->owner_zone;
            const pMap_info* zb = b.node->data->owner_zone;
            const int64_t d = int64_t(za ? za->zone_class : 0) - (zb ? zb->zone_class : 0);
            return d != 0 ? d : compare_text(name(a), name(b));
        }
        default:
            return compare_text(name(a), name(b));
        }
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const rSearchResult& a, const rSearchResult& b) {
        return ascending ? key(a, b) < 0 : key(a, b) > 0;
    });
}
