#pragma once
// The item model of a check tree: one column with the check box, icon and text of each node.
// Texts and icons come from the owner; a click on a check box acts by the node's check type.

#include "editing/property_tree.h"

#include <QAbstractItemModel>
#include <QPixmap>

#include <functional>
#include <string>
#include <vector>

class TCheckTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TCheckTreeModel(TCheckTree& tree, QObject* parent = nullptr);

    std::function<std::string(const TCheckNode&)> text;
    // An index into `icons`, or -1 for none.
    std::function<int(const TCheckNode&)> image;
    const std::vector<QPixmap>* icons = nullptr;

    // After the tree's nodes were added, removed or reordered.
    void rebuilt();
    // After check states were written directly.
    void states_changed();

    QModelIndex index_of(const TCheckNode* node) const;
    static TCheckNode* node_of(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const TCheckNode* parent_node(const QModelIndex& parent) const;

    TCheckTree& tree_;
};
