// The main window's regions: the region list and grids of the loaded database, the region under
// a position, and RegionTree. The logic lives in database/regions.

#include "database/regions.h"
#include "database/widgets/region_tree_model.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "mainwindow/picking.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/hint_window.h"
#include "mainwindow/widgets/map.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTreeView>

namespace {

// Show flags of a region: move to it and always fit its area; 32 more for an area not drawn.
constexpr uint8_t kShowRegion = kShowMove | kShowFitZoom;

} // namespace

void TForm4::init_region_tree() {
    if (region_model)
        return;
    region_model = std::make_unique<TRegionTreeModel>();
    region_model->icons = &ImageList_c;
    RegionTree->setModel(region_model.get());
    RegionTree->setUniformRowHeights(true);
    RegionTree->setIconSize(QSize(16, 16));
    RegionTree->setMouseTracking(true);
    QHeaderView* header = RegionTree->header();
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(12);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setFixedHeight(15);
    // Zone icon, category icon, then the name.
    header->moveSection(2, 0);
    header->moveSection(2, 1);
    header->resizeSection(0, 180);
    header->resizeSection(1, 23);
    header->resizeSection(2, 23);
    for (int c = 0; c < 3; ++c)
        header->setSectionResizeMode(c, QHeaderView::Fixed);
    QPalette palette = RegionTree->palette();
    palette.setColor(QPalette::Base, QColor(128, 128, 128));
    palette.setColor(QPalette::Text, qcolor_from_tcolor(0xDEF0EF));
    RegionTree->setPalette(palette);
    RegionTree->viewport()->setProperty(kManualHint, true);
    keep_no_current_on_focus(RegionTree);
    connect(RegionTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (rRegion* region = region_model->region_of(current))
                    RegionTreeFocusChanged(region);
            });
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { RegionTreeHeaderClick(column); });
}

void TForm4::clear_regions() {
    if (region_model)
        region_model->clear();
    region_list.clear();
}

void TForm4::build_regions() {
    set_status(get_text(178));
    if (map_data)
        ::build_regions(*map_data, region_list);
    init_region_tree();
    region_model->set_list(region_list);
    region_sort_column = rPreference.STSC;
    region_sort_order = Qt::AscendingOrder;
    sort_region_tree();
    set_status("");
}

rRegion* TForm4::region_at(pMap_info* zone, TPoint zone_position) {
    return ::region_at(region_list, zone, zone_position);
}

TPoint TForm4::region_grid_pos(TPoint origin, TPoint world) {
    return ::region_grid_pos(origin, world);
}

void TForm4::goto_region(rRegion* region) {
    if (!region || !region->node)
        return;
    const rItemdata* item = region->node->item();
    const bool hidden_area = item && item->command && item->command->value == 1;
    show_on_map(region->node, 0, 0, hidden_area ? kShowRegion | kShowUnselect : kShowRegion);
}

void TForm4::sort_region_tree() {
    if (!region_model || region_sort_column < 0 || region_sort_column > 2)
        return;
    RegionTree->header()->setSortIndicator(region_sort_column, region_sort_order);
    region_model->sort(region_sort_column, region_sort_order);
}

void TForm4::RegionTreeHeaderClick(int column) {
    sort_column_clicked(column, region_sort_column, region_sort_order);
    sort_region_tree();
}

void TForm4::RegionTreeFocusChanged(rRegion* region) {
    if (busy)
        return;
    select_node(nullptr);
    // The new row shows before the map moves; nothing else runs while the region is held.
    RegionTree->viewport()->repaint();
    goto_region(region);
}

void TForm4::RegionTreeMouseDown(int x, int y) {
    const QModelIndex current = RegionTree->currentIndex();
    const QModelIndex at = RegionTree->indexAt(QPoint(x, y));
    if (!busy && current.isValid() && at.isValid() && at.row() == current.row())
        goto_region(region_model->region_of(current));
}

void TForm4::RegionTreeMouseMove(int x, int y) {
    rRegion* region = x < 40 ? region_model->region_of(RegionTree->indexAt(QPoint(x, y))) : nullptr;
    show_row_hint(RegionTree->viewport(), region ? region->node : nullptr);
}
