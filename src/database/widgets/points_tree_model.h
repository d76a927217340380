#pragma once
// The item model of MyTree over the points tree: one row per visible node, two columns (0: check
// box, icon and text; 1: the selection mark).

#include "database/points_tree.h"

#include <QAbstractItemModel>
#include <QPixmap>
#include <QTreeView>

#include <array>
#include <vector>

class TPointsTreeModel : public QAbstractItemModel, private TTreeObserver {
    Q_OBJECT
public:
    // What the look of the nodes depends on; all owned by the main window, any may be null.
    struct Look {
        const std::vector<QPixmap>* icons = nullptr;                   // tree icons, 16 x 16
        const int* current_continent = nullptr;                        // loaded continent id
        const bool* colour_by_level = nullptr;                         // points coloured by level
        const std::array<TreeNode*, 4>* selection_ancestors = nullptr; // marked in column 1
    };

    static constexpr int kTextColumn = 0;
    static constexpr int kMarkColumn = 1;

    explicit TPointsTreeModel(TPointsTree& tree, QObject* parent = nullptr);
    ~TPointsTreeModel() override;

    Look look;

    // The index of a node in column 0; invalid when the node or one of its ancestors is hidden.
    QModelIndex index_of(const TreeNode* node, int column = 0) const;
    // The node of an index; null for an invalid one.
    static TreeNode* node_of(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // A node the view can reach: the root, or a published row under a reachable parent.
    bool reachable(const TreeNode* node) const;
    // The index under which a node's rows are shown: invalid for the root.
    QModelIndex parent_index(const TreeNode* node) const;
    QVariant icon(const TreeNode* node, int column) const;
    QVariant foreground(const TreeNode* node) const;
    void subtree_checks_changed(const TreeNode* node);

    void rows_about_to_be_inserted(TreeNode* parent, int first, int last) override;
    void rows_inserted() override;
    void rows_about_to_be_removed(TreeNode* parent, int first, int last) override;
    void rows_removed() override;
    void check_changed(TreeNode* node, bool subtree) override;
    void layout_about_to_change() override;
    void layout_changed() override;
    void about_to_clear() override;
    void cleared() override;

    TPointsTree& tree_;
    bool inserting_ = false;
    bool removing_ = false;
    QModelIndexList saved_indexes_;
    std::vector<std::pair<TreeNode*, int>> saved_nodes_;
};

// MyTree's view: End without a current row goes to the last row (Qt's own view takes the first).
class TPointsTreeView : public QTreeView {
public:
    using QTreeView::QTreeView;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
};

// The TColor 0x00BBGGRR as a QColor.
QColor qcolor_from_tcolor(int32_t colour);
