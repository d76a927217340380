#include "editing/property_tree.h"

TCheckTree::TCheckTree() : root_(std::make_unique<TCheckNode>()) {}

TCheckNode* TCheckTree::first() const {
    return root_->children.empty() ? nullptr : root_->children.front().get();
}

TCheckNode* TCheckTree::next(const TCheckNode* node) {
    if (!node->children.empty())
        return node->children.front().get();
    for (; node->parent; node = node->parent) {
        const auto& siblings = node->parent->children;
        if (size_t(node->index) + 1 < siblings.size())
            return siblings[size_t(node->index) + 1].get();
    }
    return nullptr;
}

TCheckNode* TCheckTree::add_child(TCheckNode* parent, int32_t kind, void* pointer) {
    if (!parent)
        parent = root_.get();
    auto node = std::make_unique<TCheckNode>();
    node->parent = parent;
    node->index = int32_t(parent->children.size());
    node->kind = kind;
    node->pointer = pointer;
    parent->children.push_back(std::move(node));
    return parent->children.back().get();
}

void TCheckTree::clear() {
    root_->children.clear();
}

void TCheckTree::click(TCheckNode* node) {
    switch (node->check_type) {
    case TCheckType::None:
        break;
    case TCheckType::CheckBox:
        node->state = node->state == kChecked ? kUnchecked : kChecked;
        break;
    case TCheckType::Cycle:
        node->state = uint8_t((node->state + 1) % 3);
        break;
    case TCheckType::Radio:
        for (const auto& sibling : node->parent->children)
            if (sibling->check_type == TCheckType::Radio)
                sibling->state = kUnchecked;
        node->state = kChecked;
        break;
    }
}

void build_property_tree(TCheckTree& tree, TCheckNode* parent, uint8_t options,
                         const std::bitset<256>& expanded_groups,
                         const std::vector<std::unique_ptr<tboolspec>>& specs) {
    if (options & kPropertyTreeClear)
        tree.clear();
    tree.show_root = true;
    for (const auto& spec : specs) {
        if (spec->group == 0) {
            tree.add_child(parent, kPropertyNode, spec.get());
            continue;
        }
        TCheckNode* group = tree.first();
        while (group && !(group->kind == kPropertyNode && group->pointer &&
                          static_cast<tboolspec*>(group->pointer)->flag_id == spec->group))
            group = TCheckTree::next(group);
        if (!group)
            continue;
        tree.add_child(group, kPropertyNode, spec.get());
        group->expanded = (options & kPropertyTreeExpandAll) || expanded_groups.test(spec->group);
    }
}

void set_property_checks(TCheckTree& tree, const TCheckNode* after,
                         const std::array<bool, 128>& flags, uint8_t state) {
    for (TCheckNode* n = after ? TCheckTree::next(after) : tree.first(); n && n->pointer;
         n = TCheckTree::next(n)) {
        if (n->kind != kPropertyNode)
            continue;
        const int id = static_cast<tboolspec*>(n->pointer)->flag_id;
        if (id >= 1 && id <= 128 && flags[size_t(id - 1)])
            n->state = state;
    }
}
