#include "mainwindow/picking.h"

#include "foundation/Data.h"
#include "foundation/func_color.h"
#include "foundation/func_karvo.h"

#include <cmath>

rHCaption HCaption;

namespace {

double length(TPoint a, TPoint b) {
    return std::hypot(double(a.x) - b.x, double(a.y) - b.y);
}

} // namespace

TreeNode* marker_at(const TMarkerHits& hits, int x, int y) {
    const int32_t ux = uint16_t(x);
    const int32_t uy = uint16_t(y);
    TreeNode* found = nullptr;
    for (const rMarkerHit& h : hits)
        if (h.x - 3 <= ux && ux <= h.x + 3 && h.y - 3 <= uy && uy <= h.y + 3)
            found = h.node;
    return found;
}

bool near_segment(TPoint a, TPoint b, TPoint p) {
    const double dab = length(a, b) + 0.12;
    const double dap = length(a, p);
    return dap < dab && dap + length(p, b) <= dab;
}

rwpitem* path_at(std::vector<rwpitem>& paths, const TMapView& view, TPoint p) {
    for (rwpitem& path : paths) {
        if (!path.drawn || path.points.size() < 2)
            continue;
        TPoint a = view.worldtoscreen(path.points[0]);
        for (size_t k = 1; k < path.points.size(); ++k) {
            const TPoint b = view.worldtoscreen(path.points[k]);
            if (near_segment(a, b, p))
                return &path;
            a = b;
        }
    }
    return nullptr;
}

TreeNode* bridge_end(const TPointsTree& tree, uint32_t own_id) {
    for (TreeNode* n = tree.first(); n; n = TPointsTree::next(n)) {
        const rItemdata* item = n->item();
        if (n->level == kLevelPoint && item && item->command && item->command->kind == coIsBridge &&
            item->command->colour_a == own_id)
            return n;
    }
    return nullptr;
}

bool category_has_levels(const rCateg* category) {
    return category && (category->type == 1 || category->type == 2 || category->type == 4);
}

rItemReflvl item_levels(const TNodeData& data, int32_t player_level, bool by_level) {
    rItemReflvl r;
    const rItemdata* item = data.item.get();
    if (!item || !category_has_levels(data.category))
        return r;
    r.level_min = std::to_string(item->level_min);
    r.level_max = std::to_string(item->level_max);
    r.colour_min =
        TColor(level_color(player_level, item->level_min, uint32_t(item->colour), by_level));
    r.colour_max =
        TColor(level_color(player_level, item->level_max, uint32_t(item->colour), by_level));
    return r;
}

void fill_hint_caption(rHCaption& caption, const TNodeData& data, TreeNode* node,
                       const rItemReflvl& levels, const TData_common* common) {
    const rCateg* category = data.category;
    const rItemdata* item = data.item.get();
    caption.node = node;
    caption.title = category ? category->name : std::string();
    caption.show_levels = category_has_levels(category);
    caption.level_min = levels.level_min;
    caption.level_max = levels.level_max;
    caption.colour_min = levels.colour_min;
    caption.colour_max = levels.colour_max;
    caption.name_colour =
        item ? flag_color(item->flags, 0, common ? &common->property_colors : nullptr) : 0;
    caption.category_id = category ? category->id : 0;
    caption.icon_base = category ? category->tree_icon : 0;
    caption.simple_mode = false;
    std::string description;
    if (item && common)
        description = tags_text(flagset_to_bools(item->flags), *common);
    if (item)
        description += item->comment;
    caption.description = clean_name(description, true);
    caption.has_description = !caption.description.empty();
}

std::string tags_text(const std::array<bool, 128>& flags, const TData_common& common) {
    std::string s;
    for (const auto& spec : common.flagspecs) {
        if (spec->flag_id < 1 || spec->flag_id > 128 || !flags[spec->flag_id - 1u])
            continue;
        s += spec->group != 0 ? "     [" + spec->name + "]|" : spec->name + "|";
    }
    if (!s.empty())
        s += '|';
    return s;
}
