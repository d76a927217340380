#include "database/widgets/points_tree_model.h"

#include "foundation/text_codec.h"

#include <QColor>

namespace {

const QColor kFontColour = qcolor_from_tcolor(0xDEF0EF);
const QColor kOtherContinentColour = qcolor_from_tcolor(0xBFC5CA);

} // namespace

QColor qcolor_from_tcolor(int32_t colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

TPointsTreeModel::TPointsTreeModel(TPointsTree& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree) {
    tree_.set_observer(this);
}

TPointsTreeModel::~TPointsTreeModel() {
    tree_.set_observer(nullptr);
}

TreeNode* TPointsTreeModel::node_of(const QModelIndex& index) {
    return index.isValid() ? static_cast<TreeNode*>(index.internalPointer()) : nullptr;
}

bool TPointsTreeModel::reachable(const TreeNode* node) const {
    for (; node && node->parent; node = node->parent)
        if (node->row < 0)
            return false;
    return node != nullptr;
}

QModelIndex TPointsTreeModel::index_of(const TreeNode* node, int column) const {
    if (!node || !node->parent || !reachable(node))
        return {};
    return createIndex(node->row, column, const_cast<TreeNode*>(node));
}

QModelIndex TPointsTreeModel::parent_index(const TreeNode* node) const {
    if (!node->parent)
        return {};
    return createIndex(node->row, 0, const_cast<TreeNode*>(node));
}

QModelIndex TPointsTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0)
        return {};
    const TreeNode* p = parent.isValid() ? node_of(parent) : tree_.root();
    if (row < 0 || column < 0 || column > kMarkColumn || size_t(row) >= p->rows.size())
        return {};
    return createIndex(row, column, p->rows[size_t(row)]);
}

QModelIndex TPointsTreeModel::parent(const QModelIndex& child) const {
    const TreeNode* n = node_of(child);
    if (!n || !n->parent || !n->parent->parent)
        return {};
    return createIndex(n->parent->row, 0, n->parent);
}

int TPointsTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0)
        return 0;
    const TreeNode* p = parent.isValid() ? node_of(parent) : tree_.root();
    return int(p->rows.size());
}

int TPointsTreeModel::columnCount(const QModelIndex&) const {
    return 2;
}

bool TPointsTreeModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant TPointsTreeModel::data(const QModelIndex& index, int role) const {
    const TreeNode* n = node_of(index);
    if (!n)
        return {};
    const bool text_column = index.column() == kTextColumn;
    switch (role) {
    case Qt::DisplayRole:
        return text_column ? QVariant(to_qstring(node_text(n))) : QVariant();
    case Qt::DecorationRole:
        return icon(n, index.column());
    case Qt::CheckStateRole:
        if (!text_column)
            return {};
        return n->check == TCheckState::Checked     ? Qt::Checked
               : n->check == TCheckState::Unchecked ? Qt::Unchecked
                                                    : Qt::PartiallyChecked;
    case Qt::ForegroundRole:
        return text_column ? foreground(n) : QVariant();
    default:
        return {};
    }
}

QVariant TPointsTreeModel::icon(const TreeNode* n, int column) const {
    int image = -1;
    if (column == kMarkColumn) {
        if (look.selection_ancestors)
            for (const TreeNode* a : *look.selection_ancestors)
                if (a == n)
                    image = 0;
    } else if (const TNodeData* d = n->data.get()) {
        if (n->level == kLevelContinent && d->owner_continent)
            image = d->owner_continent->tree_icon;
        else if (n->level == kLevelZone && d->owner_zone)
            image = d->owner_zone->tree_icon;
        else if (n->level >= kLevelCategory && d->category)
            image = d->category->tree_icon + 4;
    }
    if (image < 0 || !look.icons || size_t(image) >= look.icons->size())
        return {};
    return (*look.icons)[size_t(image)];
}

QVariant TPointsTreeModel::foreground(const TreeNode* n) const {
    const TNodeData* d = n->data.get();
    if (n->level == kLevelZone && d && d->owner_zone && look.current_continent &&
        d->owner_zone->continent_id != *look.current_continent)
        return kOtherContinentColour;
    if (n->level == kLevelPoint && d && d->item && d->category && d->category->type == 1 &&
        look.colour_by_level && *look.colour_by_level)
        return qcolor_from_tcolor(d->item->colour);
    return kFontColour;
}

bool TPointsTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    TreeNode* n = node_of(index);
    if (!n || role != Qt::CheckStateRole || index.column() != kTextColumn)
        return false;
    const auto state = static_cast<Qt::CheckState>(value.toInt());
    tree_.set_check_state(n, state == Qt::Checked ? TCheckState::Checked : TCheckState::Unchecked);
    return true;
}

Qt::ItemFlags TPointsTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == kTextColumn)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

// ---- The view ----

QModelIndex TPointsTreeView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (action != MoveEnd || currentIndex().isValid() || !model())
        return QTreeView::moveCursor(action, modifiers);
    QModelIndex last;
    for (QModelIndex parent;
         (!parent.isValid() || isExpanded(parent)) && model()->hasChildren(parent); parent = last)
        last = model()->index(model()->rowCount(parent) - 1, 0, parent);
    return last;
}

// ---- Changes of the tree ----

void TPointsTreeModel::rows_about_to_be_inserted(TreeNode* parent, int first, int last) {
    if (!reachable(parent))
        return;
    beginInsertRows(parent_index(parent), first, last);
    inserting_ = true;
}

void TPointsTreeModel::rows_inserted() {
    if (inserting_) {
        inserting_ = false;
        endInsertRows();
    }
}

void TPointsTreeModel::rows_about_to_be_removed(TreeNode* parent, int first, int last) {
    if (!reachable(parent))
        return;
    beginRemoveRows(parent_index(parent), first, last);
    removing_ = true;
}

void TPointsTreeModel::rows_removed() {
    if (removing_) {
        removing_ = false;
        endRemoveRows();
    }
}

void TPointsTreeModel::check_changed(TreeNode* node, bool subtree) {
    if (!reachable(node))
        return;
    const QModelIndex i = index_of(node);
    emit dataChanged(i, i, {Qt::CheckStateRole});
    if (subtree)
        subtree_checks_changed(node);
}

void TPointsTreeModel::subtree_checks_changed(const TreeNode* node) {
    if (node->rows.empty())
        return;
    emit dataChanged(createIndex(0, 0, node->rows.front()),
                     createIndex(int(node->rows.size()) - 1, 0, node->rows.back()),
                     {Qt::CheckStateRole});
    for (const TreeNode* r : node->rows)
        if (r->has_children())
            subtree_checks_changed(r);
}

void TPointsTreeModel::layout_about_to_change() {
    emit layoutAboutToBeChanged();
    saved_indexes_ = persistentIndexList();
    saved_nodes_.clear();
    saved_nodes_.reserve(size_t(saved_indexes_.size()));
    for (const QModelIndex& i : saved_indexes_)
        saved_nodes_.emplace_back(node_of(i), i.column());
}

void TPointsTreeModel::layout_changed() {
    QModelIndexList moved;
    moved.reserve(saved_indexes_.size());
    for (const auto& [node, column] : saved_nodes_)
        moved.append(index_of(node, column));
    changePersistentIndexList(saved_indexes_, moved);
    saved_indexes_.clear();
    saved_nodes_.clear();
    emit layoutChanged();
}

void TPointsTreeModel::about_to_clear() {
    beginResetModel();
}

void TPointsTreeModel::cleared() {
    endResetModel();
}
