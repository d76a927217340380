#include "editing/widgets/check_tree_model.h"

#include "foundation/text_codec.h"

TCheckTreeModel::TCheckTreeModel(TCheckTree& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree) {}

void TCheckTreeModel::rebuilt() {
    beginResetModel();
    endResetModel();
}

void TCheckTreeModel::states_changed() {
    for (TCheckNode* n = tree_.first(); n; n = TCheckTree::next(n))
        if (n->check_type != TCheckType::None) {
            const QModelIndex i = index_of(n);
            emit dataChanged(i, i, {Qt::CheckStateRole});
        }
}

QModelIndex TCheckTreeModel::index_of(const TCheckNode* node) const {
    if (!node || !node->parent)
        return {};
    return createIndex(node->index, 0, const_cast<TCheckNode*>(node));
}

TCheckNode* TCheckTreeModel::node_of(const QModelIndex& index) {
    return index.isValid() ? static_cast<TCheckNode*>(index.internalPointer()) : nullptr;
}

const TCheckNode* TCheckTreeModel::parent_node(const QModelIndex& parent) const {
    return parent.isValid() ? node_of(parent) : tree_.root();
}

QModelIndex TCheckTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const TCheckNode* p = parent_node(parent);
    if (column != 0 || row < 0 || size_t(row) >= p->children.size())
        return {};
    return createIndex(row, 0, p->children[size_t(row)].get());
}

QModelIndex TCheckTreeModel::parent(const QModelIndex& child) const {
    const TCheckNode* n = node_of(child);
    return n ? index_of(n->parent) : QModelIndex();
}

int TCheckTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(parent_node(parent)->children.size());
}

int TCheckTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant TCheckTreeModel::data(const QModelIndex& index, int role) const {
    const TCheckNode* n = node_of(index);
    if (!n)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text ? to_qstring(text(*n)) : QString();
    case Qt::DecorationRole: {
        const int i = image ? image(*n) : -1;
        if (!icons || i < 0 || size_t(i) >= icons->size())
            return {};
        return (*icons)[size_t(i)];
    }
    case Qt::CheckStateRole:
        if (n->check_type == TCheckType::None)
            return {};
        return n->state == kChecked   ? Qt::Checked
               : n->state == kPressed ? Qt::PartiallyChecked
                                      : Qt::Unchecked;
    default:
        return {};
    }
}

bool TCheckTreeModel::setData(const QModelIndex& index, const QVariant&, int role) {
    TCheckNode* n = node_of(index);
    if (!n || role != Qt::CheckStateRole || n->check_type == TCheckType::None)
        return false;
    // The node's own rule decides the new state, whatever the view proposes.
    tree_.click(n);
    if (n->check_type == TCheckType::Radio)
        emit dataChanged(this->index(0, 0, index.parent()),
                         this->index(int(n->parent->children.size()) - 1, 0, index.parent()),
                         {Qt::CheckStateRole});
    else
        emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags TCheckTreeModel::flags(const QModelIndex& index) const {
    const TCheckNode* n = node_of(index);
    if (!n)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (n->check_type != TCheckType::None)
        f |= Qt::ItemIsUserCheckable;
    if (n->check_type == TCheckType::Cycle)
        f |= Qt::ItemIsUserTristate;
    return f;
}
