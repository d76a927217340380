// The main window's points tree: skeleton, point insertion, look-ups, focus changes and the look
// of MyTree.

#include "database/points_tree.h"
#include "database/widgets/points_tree_model.h"
#include "foundation/Data.h"
#include "foundation/func_ressource.h"
#include "foundation/map_data.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/map.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>

namespace {

// Show flag: select the point and centre it.
constexpr uint8_t kShowCentre = 2;

} // namespace

void TForm4::init_points_tree() {
    if (points_model)
        return;
    points_model = std::make_unique<TPointsTreeModel>(points_tree);
    points_model->look.icons = &ImageList_c;
    points_model->look.current_continent = &current_continent;
    points_model->look.colour_by_level = &rPreference.CLVL;
    points_model->look.selection_ancestors = &selection_ancestors;
    // Heard before the view's own handlers: a removed current row leaves no current row, where
    // the view would make the next row current and show a point nobody chose.
    connect(points_model.get(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex& parent, int first, int last) {
                for (QModelIndex i = MyTree->currentIndex(); i.isValid(); i = i.parent())
                    if (i.parent() == parent && i.row() >= first && i.row() <= last) {
                        MyTree->selectionModel()->clear();
                        break;
                    }
            });
    MyTree->setModel(points_model.get());
    MyTree->setUniformRowHeights(true);
    MyTree->setIconSize(QSize(16, 16));
    MyTree->setExpandsOnDoubleClick(true);
    QHeaderView* header = MyTree->header();
    header->hide();
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(12);
    header->moveSection(TPointsTreeModel::kMarkColumn, 0);
    header->resizeSection(TPointsTreeModel::kMarkColumn, 12);
    header->resizeSection(TPointsTreeModel::kTextColumn, 200);
    QPalette palette = MyTree->palette();
    palette.setColor(QPalette::Base, QColor(128, 128, 128));
    palette.setColor(QPalette::Text, qcolor_from_tcolor(0xDEF0EF));
    MyTree->setPalette(palette);
    keep_no_current_on_focus(MyTree);
    connect(MyTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                MyTreeFocusChanged(TPointsTreeModel::node_of(current));
            });
}

void TForm4::build_zone_tree() {
    init_points_tree();
    if (map_data && common_data)
        ::build_zone_tree(points_tree, *map_data, *common_data);
}

TreeNode* TForm4::addnode(const rnew_node& record) {
    if (!map_data)
        return nullptr;
    struct AutosaveBlock {
        bool& allowed;
        ~AutosaveBlock() { allowed = true; }
    } block{autosave_allowed};
    autosave_allowed = false;
    return add_point(points_tree, *map_data, record,
                     common_data ? &common_data->property_colors : nullptr);
}

TreeNode* TForm4::zone_node(int32_t zone_id) {
    return map_data ? ::zone_node(*map_data, zone_id) : nullptr;
}

TreeNode* TForm4::find_point_by_name(TreeNode* source, const std::string& name, bool current_only) {
    TNameSearch search;
    search.start = current_only ? continent_node : points_tree.first();
    search.current_continent_only = current_only;
    search.current_continent = current_continent;
    if (source)
        search.on_match = [this, source](TreeNode* match) { add_link_line(source, match); };
    return ::find_point_by_name(search, name);
}

TreeNode* TForm4::find_in_zone_lists(const std::string& name) {
    return ::find_in_zone_lists(continent_zones, current_continent, name);
}

void TForm4::goto_node(TreeNode* node, uint8_t flags) {
    if (!node) {
        show_message(11, false);
        return;
    }
    points_tree.set_check_state(node, TCheckState::Checked);
    show_on_map(node, 0, 0, flags);
}

std::string TForm4::node_text(const TreeNode* node) const {
    return ::node_text(node);
}

void TForm4::MyTreeFocusChanged(TreeNode* node) {
    if (!node || busy)
        return;
    // The new row shows before the map moves; no input runs while the node is held.
    MyTree->viewport()->repaint();
    switch (node->level) {
    case kLevelContinent:
        if (node->data && node->data->owner_continent)
            show_on_map(zone_node(node->data->owner_continent->whole_zone_id), 0, 0, 0);
        break;
    case kLevelZone:
        show_on_map(node, 0, 0, 0);
        break;
    case kLevelPoint:
        show_on_map(node, 0, 0, kShowCentre);
        break;
    default:
        break;
    }
    MyTree->viewport()->update();
}

void TForm4::MyTreeMouseDown(int x, int y) {
    // A click on the current row changes nothing in the view: the point is shown again here.
    TreeNode* current = TPointsTreeModel::node_of(MyTree->currentIndex());
    if (current && TPointsTreeModel::node_of(MyTree->indexAt(QPoint(x, y))) == current)
        MyTreeFocusChanged(current);
}
