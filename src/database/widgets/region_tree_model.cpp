#include "database/widgets/region_tree_model.h"

#include "foundation/text_codec.h"

#include <algorithm>

void TRegionTreeModel::set_list(const TRegionList& list) {
    beginResetModel();
    rows_.clear();
    list_to_tree(rows_, list);
    endResetModel();
}

void TRegionTreeModel::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

rRegion* TRegionTreeModel::region_of(const QModelIndex& index) const {
    if (!index.isValid() || size_t(index.row()) >= rows_.size())
        return nullptr;
    return rows_[size_t(index.row())].region;
}

QModelIndex TRegionTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || size_t(row) >= rows_.size() || column < 0 || column > 2)
        return {};
    return createIndex(row, column);
}

int TRegionTreeModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int TRegionTreeModel::columnCount(const QModelIndex&) const {
    return 3;
}

QVariant TRegionTreeModel::data(const QModelIndex& index, int role) const {
    const rRegion* r = region_of(index);
    if (!r || !r->node_data)
        return {};
    if (role == Qt::DisplayRole && index.column() == 0 && r->node_data->item)
        return to_qstring(r->node_data->item->name);
    if (role == Qt::DecorationRole && index.column() > 0) {
        int image = -1;
        if (index.column() == 1 && r->node_data->category)
            image = r->node_data->category->tree_icon + 4;
        else if (index.column() == 2 && r->zone)
            image = r->zone->tree_icon;
        if (icons && image >= 0 && size_t(image) < icons->size())
            return (*icons)[size_t(image)];
    }
    return {};
}

QVariant TRegionTreeModel::headerData(int, Qt::Orientation, int) const {
    return {};
}

void TRegionTreeModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column > 2)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<rRegion*> old_order;
    for (const QModelIndex& i : before)
        old_order.push_back(region_of(i));
    std::stable_sort(rows_.begin(), rows_.end(),
                     [&](const rRegionNodeData& a, const rRegionNodeData& b) {
                         const int c = compare_region_rows(*a.region, *b.region, column);
                         return order == Qt::AscendingOrder ? c < 0 : c > 0;
                     });
    QModelIndexList after;
    for (size_t k = 0; k < old_order.size(); ++k) {
        const auto it = std::find_if(rows_.begin(), rows_.end(), [&](const rRegionNodeData& d) {
            return d.region == old_order[k];
        });
        after.push_back(it == rows_.end()
                            ? QModelIndex()
                            : createIndex(int(it - rows_.begin()), before[k].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
