#pragma once
// The points tree: continents, their zones, the categories of each zone and the points of each
// category, in display order. It is never sorted. Every node carries one TNodeData.
//
// Views see each node's visible children through `rows`. Outside update mode `rows` follows every
// change at once and the observer hears of each; inside update mode (begin_update / end_update)
// additions, visibility and check changes are only recorded, and end_update publishes them in one
// layout change. Removals are always published at once.

#include "foundation/Data.h"
#include "foundation/func_type.h"
#include "foundation/map_data.h"
#include "foundation/node_data.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class TCheckState : uint8_t { Unchecked, Checked, Mixed };

// Tree levels.
constexpr int kLevelContinent = 0;
constexpr int kLevelZone = 1;
constexpr int kLevelCategory = 2;
constexpr int kLevelPoint = 3;

struct TreeNode {
    TreeNode* parent = nullptr;
    std::vector<std::unique_ptr<TreeNode>> children; // display order
    std::vector<TreeNode*> rows;                     // visible children as last published
    std::unique_ptr<TNodeData> data;
    uint32_t index = 0; // position in the parent's children
    int32_t row = -1;   // position in the parent's rows; -1 when not there
    int8_t level = -1;  // -1 for the invisible root
    bool visible = true;
    bool rows_dirty = false;
    TCheckState check = TCheckState::Checked;
    uint32_t checked_children = 0;
    uint32_t unchecked_children = 0;

    bool has_children() const { return !children.empty(); }
    TreeNode* first_child() const { return children.empty() ? nullptr : children.front().get(); }
    TreeNode* last_child() const { return children.empty() ? nullptr : children.back().get(); }
    TreeNode* next_sibling() const;
    TreeNode* previous_sibling() const;
    // The item data of a point node, null for other nodes.
    rItemdata* item() const { return data ? data->item.get() : nullptr; }
};

// Told of every change a view must follow, in the order of Qt's item-model signals.
class TTreeObserver {
public:
    virtual ~TTreeObserver() = default;
    virtual void rows_about_to_be_inserted(TreeNode* parent, int first, int last) = 0;
    virtual void rows_inserted() = 0;
    virtual void rows_about_to_be_removed(TreeNode* parent, int first, int last) = 0;
    virtual void rows_removed() = 0;
    // The check state of the node changed; with `subtree`, also those of all its descendants.
    virtual void check_changed(TreeNode* node, bool subtree) = 0;
    // Around the publication of the changes recorded in update mode.
    virtual void layout_about_to_change() = 0;
    virtual void layout_changed() = 0;
    virtual void about_to_clear() = 0;
    virtual void cleared() = 0;
};

class TPointsTree {
public:
    TPointsTree();
    ~TPointsTree();
    TPointsTree(const TPointsTree&) = delete;
    TPointsTree& operator=(const TPointsTree&) = delete;

    // The invisible root; continents are its children.
    TreeNode* root() const { return root_.get(); }
    // The first node in display order, or null.
    TreeNode* first() const { return root_->first_child(); }
    // The node after `node` in display order, hidden nodes included; null at the end.
    static TreeNode* next(const TreeNode* node);
    // The node after `node`'s subtree in display order; null at the end.
    static TreeNode* next_after_subtree(const TreeNode* node);
    // Number of nodes, the root left out.
    size_t size() const { return count_; }

    // Appends a checked node as the last child of `parent` (the root for a continent).
    TreeNode* add_child(TreeNode* parent, std::unique_ptr<TNodeData> data, bool visible);
    // Deletes the node with its subtree and their data.
    void delete_node(TreeNode* node);
    // Deletes every node.
    void clear();

    void set_visible(TreeNode* node, bool visible);
    // Sets the node and its whole subtree to the state, then brings the ancestors' states in line
    // (checked when all children are, unchecked when none is checked or mixed, else mixed).
    void set_check_state(TreeNode* node, TCheckState state);

    void begin_update();
    void end_update();
    bool updating() const { return update_count_ > 0; }

    void set_observer(TTreeObserver* observer) { observer_ = observer; }

private:
    void publish_show(TreeNode* node);
    void publish_hide(TreeNode* node);
    void rebuild_rows(TreeNode* node);
    void mark_dirty(TreeNode* parent);
    void count_child_state(TreeNode* parent, TCheckState state, int delta);
    void update_ancestors(TreeNode* node);
    void set_subtree_state(TreeNode* node, TCheckState state);
    void count_subtree(const TreeNode* node, int delta);

    std::unique_ptr<TreeNode> root_;
    TTreeObserver* observer_ = nullptr;
    int update_count_ = 0;
    bool changed_in_update_ = false;
    size_t count_ = 0;
};

// ---- The points index ----

// Builds continents, their zones (in zone-list order) and under each zone one hidden node per
// category (in category order). Sets the continents' and zones' tree nodes.
void build_zone_tree(TPointsTree& tree, TData_map& map_data, TData_common& categories);

// The node of the first zone whose (signed 16-bit) id equals `zone_id`; null for -1 or none.
TreeNode* zone_node(const TData_map& map_data, int32_t zone_id);

// Appends a point under the category node of its zone and category; null (and nothing added)
// when there is none. The node is hidden when its name starts with "@"; its category node is
// shown. Lets EConvertError from the node data through.
TreeNode* add_point(TPointsTree& tree, const TData_map& map_data, rnew_node request,
                    const TPropertyColors* property_colors);

// The node's text: continent, zone, category name or the point's raw name.
std::string node_text(const TreeNode* node);

// The zone record of a zone, category or point node; null otherwise.
pMap_info* node_zone(const TreeNode* node);

// Looks for points whose search key equals that of the trimmed name, walking in display order
// from `start`, hidden nodes included; "@" names are passed over. With the current continent only,
// the first zone of another continent ends the walk. Without `on_match` the first match is
// returned; with it every match is reported and the last one returned.
struct TNameSearch {
    TreeNode* start = nullptr;
    bool current_continent_only = false;
    int32_t current_continent = -1;
    std::function<void(TreeNode*)> on_match;
};
TreeNode* find_point_by_name(const TNameSearch& search, const std::string& name);

// The first point, in the zones' order, whose name equals `name` exactly, passing over the
// categories that are no link targets and "@" names.
TreeNode* find_in_zone_lists(const std::vector<pMap_info*>& zones, int32_t current_continent,
                             const std::string& name);
