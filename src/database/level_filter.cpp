#include "database/level_filter.h"

#include "foundation/func_karvo.h"

int32_t nearest_level(int32_t min, int32_t max, int32_t player_level) {
    if (min == 0)
        return 0;
    if (player_level > max)
        return max;
    if (player_level < min)
        return min;
    return player_level;
}

void hide_node(TPointsTree& tree, TreeNode* node, const TLevelFilter& filter) {
    if (node->level == kLevelCategory) {
        tree.set_visible(node, node->has_children());
        return;
    }
    const rItemdata* item = node->level == kLevelPoint ? node->item() : nullptr;
    if (!item)
        return;
    bool visible = !is_hidden_name(item->name);
    const rCateg* category = node->data->category;
    if (filter.on && category && category->type == 1)
        visible = visible && item->level_max >= filter.min && item->level_min <= filter.max;
    tree.set_visible(node, visible);
}

void hide_nodes_from(TPointsTree& tree, TreeNode* start, const TLevelFilter& filter) {
    for (TreeNode* n = start; n; n = TPointsTree::next(n))
        hide_node(tree, n, filter);
}
