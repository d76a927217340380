#pragma once
// Check trees whose nodes carry a kind and a pointer (the search dialog's criteria and the point
// editor's properties), and the property trees built in them from the flag specifications.

#include "foundation/func_type.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <vector>

// Node kind of a property (pointer: its tboolspec).
constexpr int32_t kPropertyNode = 1;

enum class TCheckType : uint8_t {
    None,
    CheckBox,
    Cycle, // 0 -> 1 -> 2 -> 0 on each click
    Radio, // checking one unchecks its siblings
};

// Check states: 0 unchecked, 1 pressed but empty, 2 checked.
constexpr uint8_t kUnchecked = 0;
constexpr uint8_t kPressed = 1;
constexpr uint8_t kChecked = 2;

struct TCheckNode {
    TCheckNode* parent = nullptr;
    std::vector<std::unique_ptr<TCheckNode>> children;
    int32_t index = 0; // position among the parent's children
    int32_t kind = 0;
    void* pointer = nullptr;
    TCheckType check_type = TCheckType::None;
    uint8_t state = kUnchecked;
    bool expanded = false;
};

class TCheckTree {
public:
    TCheckTree();

    // The invisible root; the top-level nodes are its children.
    TCheckNode* root() const { return root_.get(); }
    TCheckNode* first() const;
    // The next node in tree order; null at the end.
    static TCheckNode* next(const TCheckNode* node);
    // Appends a node to `parent` (the top level when null).
    TCheckNode* add_child(TCheckNode* parent, int32_t kind, void* pointer);
    void clear();
    // A click on the node's check box, by its check type.
    void click(TCheckNode* node);
    // Orders a node's children; equal ones keep their order.
    template <class Less> void sort_children(TCheckNode* parent, Less less);

    // Tree lines and the buttons of the top level are shown.
    bool show_root = false;

private:
    std::unique_ptr<TCheckNode> root_;
};

template <class Less> void TCheckTree::sort_children(TCheckNode* parent, Less less) {
    auto& c = parent->children;
    std::stable_sort(c.begin(), c.end(),
                     [&](const auto& a, const auto& b) { return less(*a, *b); });
    for (size_t i = 0; i < c.size(); ++i)
        c[i]->index = int32_t(i);
}

// Options of build_property_tree.
constexpr uint8_t kPropertyTreeClear = 1;
constexpr uint8_t kPropertyTreeDataSize = 2; // kept for its callers; the nodes always fit
constexpr uint8_t kPropertyTreeExpandAll = 4;

// Adds one kind-1 node per flag definition under `parent` (the top level when null), a grouped
// one under the first property node of its group found in the whole tree; a flag definition
// whose group has no node yet gets none. A group is expanded with kPropertyTreeExpandAll or
// when its flag id is in `expanded_groups`.
void build_property_tree(TCheckTree& tree, TCheckNode* parent, uint8_t options,
                         const std::bitset<256>& expanded_groups,
                         const std::vector<std::unique_ptr<tboolspec>>& specs);

// From the node after `after` (the first node when null) up to the end or the first node
// without a pointer: every property node whose flag is true gets the state. Nothing else
// changes.
void set_property_checks(TCheckTree& tree, const TCheckNode* after,
                         const std::array<bool, 128>& flags, uint8_t state);
