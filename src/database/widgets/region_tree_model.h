#pragma once
// The item model of RegionTree: one row per region entry, three columns (0: the point's name,
// 1: its category's tree icon, 2: its zone's icon), sorted by the region order of a column.

#include "database/regions.h"

#include <QAbstractItemModel>
#include <QPixmap>

#include <vector>

class TRegionTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TRegionTreeModel(QObject* parent = nullptr) : QAbstractItemModel(parent) {}

    const std::vector<QPixmap>* icons = nullptr; // tree icons, 16 x 16

    // Replaces the rows by one per list entry, in list order.
    void set_list(const TRegionList& list);
    void clear();
    // The region of a row; null for an invalid index.
    rRegion* region_of(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex&) const override { return {}; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    std::vector<rRegionNodeData> rows_;
};
