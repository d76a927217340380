#include "database/points_tree.h"

#include "foundation/func_karvo.h"

#include <string_view>

// ---- Tree nodes ----

TreeNode* TreeNode::next_sibling() const {
    if (!parent || index + 1 >= parent->children.size())
        return nullptr;
    return parent->children[index + 1].get();
}

TreeNode* TreeNode::previous_sibling() const {
    if (!parent || index == 0)
        return nullptr;
    return parent->children[index - 1].get();
}

TPointsTree::TPointsTree() : root_(std::make_unique<TreeNode>()) {}

TPointsTree::~TPointsTree() = default;

TreeNode* TPointsTree::next(const TreeNode* node) {
    if (node->has_children())
        return node->first_child();
    return next_after_subtree(node);
}

TreeNode* TPointsTree::next_after_subtree(const TreeNode* node) {
    for (; node && node->parent; node = node->parent)
        if (TreeNode* sibling = node->next_sibling())
            return sibling;
    return nullptr;
}

// ---- Structure ----

TreeNode* TPointsTree::add_child(TreeNode* parent, std::unique_ptr<TNodeData> data, bool visible) {
    auto owned = std::make_unique<TreeNode>();
    TreeNode* node = owned.get();
    node->parent = parent;
    node->index = uint32_t(parent->children.size());
    node->level = int8_t(parent->level + 1);
    node->visible = visible;
    node->data = std::move(data);
    const bool publish = visible && !updating() && !parent->rows_dirty;
    if (publish && observer_)
        observer_->rows_about_to_be_inserted(parent, int(parent->rows.size()),
                                             int(parent->rows.size()));
    parent->children.push_back(std::move(owned));
    if (publish) {
        node->row = int32_t(parent->rows.size());
        parent->rows.push_back(node);
        if (observer_)
            observer_->rows_inserted();
    } else if (visible) {
        mark_dirty(parent);
    }
    ++count_;
    count_child_state(parent, node->check, 1);
    update_ancestors(parent);
    return node;
}

void TPointsTree::delete_node(TreeNode* node) {
    if (!node || !node->parent)
        return;
    TreeNode* parent = node->parent;
    const int row = node->row;
    if (row >= 0 && observer_)
        observer_->rows_about_to_be_removed(parent, row, row);
    if (row >= 0) {
        parent->rows.erase(parent->rows.begin() + row);
        for (size_t i = size_t(row); i < parent->rows.size(); ++i)
            parent->rows[i]->row = int32_t(i);
    }
    count_child_state(parent, node->check, -1);
    count_subtree(node, -1);
    const size_t index = node->index;
    parent->children.erase(parent->children.begin() + std::ptrdiff_t(index));
    for (size_t i = index; i < parent->children.size(); ++i)
        parent->children[i]->index = uint32_t(i);
    if (row >= 0 && observer_)
        observer_->rows_removed();
    update_ancestors(parent);
}

void TPointsTree::clear() {
    if (observer_)
        observer_->about_to_clear();
    root_->children.clear();
    root_->rows.clear();
    root_->rows_dirty = false;
    root_->checked_children = root_->unchecked_children = 0;
    count_ = 0;
    if (observer_)
        observer_->cleared();
}

void TPointsTree::count_subtree(const TreeNode* node, int delta) {
    count_ += size_t(delta);
    for (const auto& child : node->children)
        count_subtree(child.get(), delta);
}

// ---- Visibility ----

void TPointsTree::set_visible(TreeNode* node, bool visible) {
    if (node->visible == visible || !node->parent)
        return;
    node->visible = visible;
    if (updating() || node->parent->rows_dirty)
        mark_dirty(node->parent);
    else if (visible)
        publish_show(node);
    else
        publish_hide(node);
}

void TPointsTree::publish_show(TreeNode* node) {
    TreeNode* parent = node->parent;
    int row = 0;
    for (TreeNode* s = node->previous_sibling(); s; s = s->previous_sibling())
        if (s->row >= 0) {
            row = s->row + 1;
            break;
        }
    if (observer_)
        observer_->rows_about_to_be_inserted(parent, row, row);
    parent->rows.insert(parent->rows.begin() + row, node);
    for (size_t i = size_t(row); i < parent->rows.size(); ++i)
        parent->rows[i]->row = int32_t(i);
    if (observer_)
        observer_->rows_inserted();
}

void TPointsTree::publish_hide(TreeNode* node) {
    TreeNode* parent = node->parent;
    const int row = node->row;
    if (row < 0)
        return;
    if (observer_)
        observer_->rows_about_to_be_removed(parent, row, row);
    parent->rows.erase(parent->rows.begin() + row);
    node->row = -1;
    for (size_t i = size_t(row); i < parent->rows.size(); ++i)
        parent->rows[i]->row = int32_t(i);
    if (observer_)
        observer_->rows_removed();
}

void TPointsTree::mark_dirty(TreeNode* parent) {
    parent->rows_dirty = true;
    changed_in_update_ = true;
}

// ---- Update mode ----

void TPointsTree::begin_update() {
    ++update_count_;
}

void TPointsTree::end_update() {
    if (update_count_ == 0 || --update_count_ > 0)
        return;
    if (observer_)
        observer_->layout_about_to_change();
    if (changed_in_update_)
        rebuild_rows(root_.get());
    changed_in_update_ = false;
    if (observer_)
        observer_->layout_changed();
}

void TPointsTree::rebuild_rows(TreeNode* node) {
    if (node->rows_dirty) {
        for (TreeNode* r : node->rows)
            r->row = -1;
        node->rows.clear();
        for (const auto& child : node->children)
            if (child->visible) {
                child->row = int32_t(node->rows.size());
                node->rows.push_back(child.get());
            }
        node->rows_dirty = false;
    }
    for (const auto& child : node->children)
        if (child->has_children())
            rebuild_rows(child.get());
}

// ---- Check states ----

void TPointsTree::count_child_state(TreeNode* parent, TCheckState state, int delta) {
    if (state == TCheckState::Checked)
        parent->checked_children += uint32_t(delta);
    else if (state == TCheckState::Unchecked)
        parent->unchecked_children += uint32_t(delta);
}

void TPointsTree::update_ancestors(TreeNode* node) {
    for (; node && node->parent && node->has_children(); node = node->parent) {
        const size_t n = node->children.size();
        const TCheckState derived = node->checked_children == n     ? TCheckState::Checked
                                    : node->unchecked_children == n ? TCheckState::Unchecked
                                                                    : TCheckState::Mixed;
        if (derived == node->check)
            return;
        count_child_state(node->parent, node->check, -1);
        count_child_state(node->parent, derived, 1);
        node->check = derived;
        if (observer_ && !updating())
            observer_->check_changed(node, false);
    }
}

void TPointsTree::set_subtree_state(TreeNode* node, TCheckState state) {
    node->check = state;
    const auto n = uint32_t(node->children.size());
    node->checked_children = state == TCheckState::Checked ? n : 0;
    node->unchecked_children = state == TCheckState::Unchecked ? n : 0;
    for (const auto& child : node->children)
        set_subtree_state(child.get(), state);
}

void TPointsTree::set_check_state(TreeNode* node, TCheckState state) {
    if (!node || !node->parent || state == TCheckState::Mixed || node->check == state)
        return;
    count_child_state(node->parent, node->check, -1);
    count_child_state(node->parent, state, 1);
    set_subtree_state(node, state);
    if (observer_ && !updating())
        observer_->check_changed(node, true);
    update_ancestors(node->parent);
}

// ---- The points index ----

namespace {

std::unique_ptr<TNodeData> skeleton_data(const std::string& name, int32_t category_id,
                                         rContinent* continent, pMap_info* zone, rCateg* category) {
    rnew_node r;
    r.name = name;
    r.category_id = category_id;
    r.owner_continent = continent;
    r.owner_zone = zone;
    r.category = category;
    return std::make_unique<TNodeData>(r, nullptr);
}

} // namespace

void build_zone_tree(TPointsTree& tree, TData_map& map_data, TData_common& categories) {
    tree.begin_update();
    for (const auto& c : map_data.continents) {
        TreeNode* continent =
            tree.add_child(tree.root(), skeleton_data(c->name, 0, c.get(), nullptr, nullptr), true);
        c->tree_node = continent;
        for (const auto& z : map_data.zones) {
            if (uint16_t(z->continent_id) != uint16_t(c->continent_id))
                continue;
            TreeNode* zone = tree.add_child(
                continent, skeleton_data(z->name, 0, nullptr, z.get(), nullptr), true);
            z->tree_node = zone;
            for (const auto& k : categories.categories)
                tree.add_child(zone, skeleton_data(k->name, k->id, nullptr, z.get(), k.get()),
                               false);
        }
    }
    tree.end_update();
}

TreeNode* zone_node(const TData_map& map_data, int32_t zone_id) {
    if (zone_id == -1)
        return nullptr;
    for (const auto& z : map_data.zones)
        if (z->zone_id == zone_id)
            return z->tree_node;
    return nullptr;
}

TreeNode* add_point(TPointsTree& tree, const TData_map& map_data, rnew_node request,
                    const TPropertyColors* property_colors) {
    TreeNode* zone = zone_node(map_data, request.zone_id);
    if (!zone)
        return nullptr;
    TreeNode* category = nullptr;
    for (const auto& child : zone->children) {
        if (child->level != kLevelCategory)
            continue;
        const pMap_info* owner = child->data->owner_zone;
        if (!owner || owner->zone_id != request.zone_id)
            break;
        if (child->data->category && child->data->category->id == request.category_id) {
            category = child.get();
            break;
        }
    }
    if (!category)
        return nullptr;
    request.owner_continent = nullptr;
    request.owner_zone = category->data->owner_zone;
    request.category = category->data->category;
    auto data = std::make_unique<TNodeData>(request, property_colors);
    TreeNode* node = tree.add_child(category, std::move(data), !is_hidden_name(request.name));
    tree.set_visible(category, true);
    return node;
}

std::string node_text(const TreeNode* node) {
    const TNodeData* d = node ? node->data.get() : nullptr;
    if (!d)
        return {};
    switch (node->level) {
    case kLevelContinent:
        return d->owner_continent ? d->owner_continent->name : std::string();
    case kLevelZone:
        return d->owner_zone ? d->owner_zone->name : std::string();
    case kLevelCategory:
        return d->category ? d->category->name : std::string();
    case kLevelPoint:
        return d->item ? d->item->name : std::string();
    default:
        return {};
    }
}

pMap_info* node_zone(const TreeNode* node) {
    return node && node->data && node->level >= kLevelZone ? node->data->owner_zone : nullptr;
}

TreeNode* find_point_by_name(const TNameSearch& search, const std::string& name) {
    const std::string key = normalise_text(trim_blanks(name));
    TreeNode* result = nullptr;
    for (TreeNode* n = search.start; n; n = TPointsTree::next(n)) {
        if (search.current_continent_only && n->level == kLevelZone) {
            const pMap_info* z = node_zone(n);
            if (!z || z->continent_id != search.current_continent)
                break;
        }
        const rItemdata* item = n->level == kLevelPoint ? n->item() : nullptr;
        if (!item || is_hidden_name(item->name) || item->key != key)
            continue;
        result = n;
        if (!search.on_match)
            break;
        search.on_match(n);
    }
    return result;
}

TreeNode* find_in_zone_lists(const std::vector<pMap_info*>& zones, int32_t current_continent,
                             const std::string& name) {
    for (const pMap_info* zone : zones) {
        if (!zone || !zone->tree_node)
            continue;
        // Each zone's walk stops at the zone's end: the walk of the next zone covers the rest.
        TreeNode* n = zone->tree_node->first_child();
        while (n && n->level > kLevelZone) {
            const pMap_info* owner = node_zone(n);
            if (!owner || owner->continent_id != current_continent)
                break;
            const TNodeData& d = *n->data;
            if (n->level == kLevelCategory && d.category && !d.category->link_target) {
                n = n->next_sibling();
                continue;
            }
            if (n->level == kLevelPoint && d.item && !is_hidden_name(d.item->name) &&
                d.item->name == name)
                return n;
            n = TPointsTree::next(n);
        }
    }
    return nullptr;
}
