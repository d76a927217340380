#include "editing/widgets/result_model.h"

#include "database/widgets/points_tree_model.h"
#include "foundation/text_codec.h"

#include <QSize>

#include <algorithm>

namespace {

const QColor kFontColour = qcolor_from_tcolor(0xDEF0EF);
// Points the level filter hides in the points tree.
const QColor kHiddenColour = qcolor_from_tcolor(0xBFC5CA);

} // namespace

TResultModel::TResultModel(const std::vector<QPixmap>& icons, QObject* parent)
    : QAbstractItemModel(parent), icons_(icons) {}

void TResultModel::set_rows(std::vector<rSearchResult> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    listed_ = true;
    endResetModel();
}

void TResultModel::clear() {
    beginResetModel();
    rows_.clear();
    listed_ = false;
    endResetModel();
}

bool TResultModel::remove(const TreeNode* node) {
    const auto it = std::find_if(rows_.begin(), rows_.end(),
                                 [node](const rSearchResult& r) { return r.node == node; });
    if (it == rows_.end())
        return false;
    const int row = int(it - rows_.begin());
    beginRemoveRows({}, row, row);
    rows_.erase(it);
    endRemoveRows();
    return true;
}

TreeNode* TResultModel::node_at(const QModelIndex& index) const {
    if (!index.isValid() || size_t(index.row()) >= rows_.size())
        return nullptr;
    return rows_[size_t(index.row())].node;
}

QModelIndex TResultModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || size_t(row) >= rows_.size() || column < 0 || column > 3)
        return {};
    return createIndex(row, column);
}

QModelIndex TResultModel::parent(const QModelIndex&) const {
    return {};
}

int TResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int TResultModel::columnCount(const QModelIndex&) const {
    return 4;
}

QVariant TResultModel::data(const QModelIndex& index, int role) const {
    const TreeNode* n = node_at(index);
    if (!n || !n->item())
        return {};
    const TNodeData& d = *n->data;
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == kResultName)
            return to_qstring(d.item->name);
        if (index.column() == kResultMarks)
            return to_qstring(score_marks(rows_[size_t(index.row())].score));
        return {};
    case Qt::DecorationRole: {
        int image = -1;
        if (index.column() == kResultCategory && d.category)
            image = d.category->tree_icon + 4;
        else if (index.column() == kResultZone && d.owner_zone)
            image = d.owner_zone->tree_icon;
        if (image < 0 || size_t(image) >= icons_.size())
            return {};
        return icons_[size_t(image)];
    }
    case Qt::ForegroundRole:
        return n->visible ? kFontColour : kHiddenColour;
    default:
        return {};
    }
}

QVariant TResultModel::headerData(int, Qt::Orientation, int role) const {
    if (role == Qt::SizeHintRole)
        return QSize(0, 0); // a column sized to its contents follows its rows' texts alone
    return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
}

void TResultModel::sort(int column, Qt::SortOrder order) {
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<const TreeNode*> nodes;
    for (const QModelIndex& i : before)
        nodes.push_back(node_at(i));
    sort_results(rows_, column, order == Qt::AscendingOrder);
    QModelIndexList after;
    for (size_t k = 0; k < nodes.size(); ++k) {
        const auto it = std::find_if(rows_.begin(), rows_.end(),
                                     [&](const rSearchResult& r) { return r.node == nodes[k]; });
        after.append(it == rows_.end() ? QModelIndex()
                                       : index(int(it - rows_.begin()), before[int(k)].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}
