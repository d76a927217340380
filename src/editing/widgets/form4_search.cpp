// The main window's search: the search command with its dialog, the result list with its
// header, focus and popup menu, and search-area mode. The search itself is search_engine's.

#include "editing/search_engine.h"
#include "editing/widgets/result_model.h"
#include "editing/widgets/search_form.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "mainwindow/picking.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/hint_window.h"
#include "mainwindow/widgets/map.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>

void TForm4::init_search() {
    if (result_model)
        return;
    result_model = new TResultModel(ImageList_c, this);
    TreeResult->setModel(result_model);
    TreeResult->setUniformRowHeights(true);
    TreeResult->setIconSize(QSize(16, 16));
    TreeResult->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette palette = TreeResult->palette();
    palette.setColor(QPalette::Base, QColor(128, 128, 128));
    palette.setColor(QPalette::Text, QColor(0xEF, 0xF0, 0xDE));
    TreeResult->setPalette(palette);
    QHeaderView* header = TreeResult->header();
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(16);
    header->setFixedHeight(15);
    // Shown from the left: zone icon, category icon, name, marks.
    for (int column : {kResultZone, kResultCategory})
        header->moveSection(header->visualIndex(column), column == kResultZone ? 0 : 1);
    for (const auto& [column, width] :
         {std::pair{kResultZone, 20}, {kResultCategory, 20}, {kResultName, 157}})
        header->resizeSection(column, width);
    // The marks are read whole ("+" is not "+++"), and the name takes what is left: the list
    // never scrolls sideways.
    header->setSectionResizeMode(kResultMarks, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(kResultName, QHeaderView::Stretch);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { TreeResultHeaderClick(column); });
    keep_no_current_on_focus(TreeResult);
    TreeResult->setMouseTracking(true);
    TreeResult->viewport()->setProperty(kManualHint, true);
    connect(TreeResult->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                TreeResultFocusChanged(result_model->node_at(current));
            });
    TreeResult->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TreeResult, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (busy)
            return;
        Menu2Popup();
        Menu2->popup(TreeResult->viewport()->mapToGlobal(at));
    });
    connect(menu_item(Menu2, "Modif2"), &QAction::triggered, this, [this] { Modif2Click(); });
    connect(menu_item(Menu2, "Couper2"), &QAction::triggered, this, [this] { Couper2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(result_model, &QAbstractItemModel::modelReset, this, [this] { show_result_count(); });
    connect(result_model, &QAbstractItemModel::rowsRemoved, this, [this] { show_result_count(); });

    search1 = Affichage1->addAction(QStringLiteral("search1"));
    search1->setObjectName(QStringLiteral("search1"));
    search1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    addAction(search1);
    connect(search1, &QAction::triggered, this, [this] { search(); });
    connect(ToolButton3, &QToolButton::clicked, this, [this] { search(); });
}

void TForm4::TreeResultHeaderClick(int column) {
    sort_column_clicked(column, result_sort_column, result_sort_order);
    TreeResult->header()->setSortIndicator(column, result_sort_order);
    result_model->sort(column, result_sort_order);
}

void TForm4::search() {
    if (busy || !search_area)
        return;
    {
        TSearchForm form(*search_area,
                         {common_data.get(), map_data, &region_list, &ImageList_c, &ImageList1},
                         this);
        form.CheckBox7->setChecked(rPreference.SAOM);
        form.CheckBox3->setChecked(rPreference.SPOM);
        form.resize(form.width(), rPreference.SFHE);
        if (on_search_dialog)
            on_search_dialog(form);
        else
            exec_modal(form);
        rPreference.SFHE = form.height();
        // Closed any other way than by "Valider" (Escape, a close box): nothing is searched.
        if (form.result() != QDialog::Accepted)
            return;
        rPreference.SAOM = form.CheckBox7->isChecked();
        rPreference.SPOM = form.CheckBox3->isChecked();
    }
    if (search_area->criteria == 0) {
        // Nothing else changes: the points tree keeps its checks outside search-area mode.
        if (search_area_mode)
            end_search_area();
        feedback(21, 3);
        return;
    }
    if (rPreference.SAOM) {
        search_area_mode = true;
        search_bar_text = get_text(167);
    } else if (search_area_mode) {
        end_search_area();
    }
    clear_results();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    search_busy(false);
    run_search(*search_area);
    but_liste3->setChecked(true);
    but_liste3Click();
    sort_results(kResultMarks);
    if (rPreference.SPOM) {
        select_node(nullptr);
        goto_first_result();
    }
    search_busy(true);
}

void TForm4::run_search(TSearchArea& area) {
    if (search_area_mode) {
        set_all_checked(TCheckState::Unchecked);
        zoom_filtering = false;
    }
    points_tree.begin_update();
    std::vector<rSearchResult> found = find_points(
        points_tree, area, {map_view(), current_continent},
        [this](const pMap_info& zone, TPoint p) { return ::region_at(region_list, &zone, p); });
    if (search_area_mode)
        for (const rSearchResult& r : found)
            points_tree.set_check_state(r.node, TCheckState::Checked);
    result_model->set_rows(std::move(found));
    points_tree.end_update();
    if (search_area_mode) {
        // The checks changed inside update mode: routes, links and visibility follow them now.
        MyTreeChecked();
        MyTreeAfterPaint();
    }
}

void TForm4::clear_results() {
    if (result_model && result_model->listed())
        result_model->clear();
}

void TForm4::show_result_count() {
    if (!result_model->listed()) {
        Label2->clear();
        return;
    }
    const std::string count = std::to_string(result_model->rows().size());
    Label2->setText(to_qstring(format_text(get_info_text(12), count, {})));
    if (search_area_mode) {
        search_bar_text = format_text(get_info_text(26), count, {});
        repaint_map();
    }
}

void TForm4::remove_result(TreeNode* node) {
    result_rows_changing = true;
    result_model->remove(node);
    // The row that follows a removed current one is not the user's choice.
    if (!TreeResult->selectionModel()->isSelected(TreeResult->currentIndex()))
        TreeResult->selectionModel()->clearCurrentIndex();
    result_rows_changing = false;
}

void TForm4::sort_results(int column) {
    result_sort_column = result_model->rows().empty() ? -1 : column;
    result_sort_order = Qt::AscendingOrder;
    TreeResult->header()->setSortIndicator(result_sort_column, result_sort_order);
    if (result_sort_column >= 0)
        result_model->sort(column, result_sort_order);
}

void TForm4::goto_first_result() {
    if (!result_model->rows().empty())
        show_on_map(result_model->rows().front().node, 0, 0, kShowMove);
}

void TForm4::search_busy(bool ready) {
    Button3->setEnabled(ready);
    if (!ready && !search_cursor)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (ready && search_cursor)
        QApplication::restoreOverrideCursor();
    search_cursor = !ready;
}

void TForm4::set_all_checked(TCheckState state) {
    points_tree.begin_update();
    for (const auto& top : points_tree.root()->children)
        if (top->check != state)
            points_tree.set_check_state(top.get(), state);
    points_tree.end_update();
    MyTreeChecked();
}

void TForm4::end_search_area() {
    search_area_mode = false;
    zoom_filtering = true;
    set_all_checked(TCheckState::Checked);
    MyTreeAfterPaint();
}

void TForm4::TreeResultFocusChanged(TreeNode* node) {
    if (result_rows_changing || busy)
        return;
    select_node(nullptr);
    // The new row shows before the map moves; nothing else runs while the node is held.
    TreeResult->viewport()->repaint();
    if (node)
        goto_node(node, kShowMove);
}

void TForm4::TreeResultMouseMove(int x, int y) {
    TreeResult->setFocus();
    show_row_hint(TreeResult->viewport(),
                  x < 40 ? result_model->node_at(TreeResult->indexAt(QPoint(x, y))) : nullptr);
}

void TForm4::show_row_hint(QWidget* viewport, TreeNode* node) {
    if (!node || !node->item()) {
        viewport->setToolTip(QString());
        HCaption.node = nullptr;
        activate_hint(viewport);
        return;
    }
    if (node == HCaption.node)
        return;
    try {
        rItemReflvl levels;
        item_levels(node->data.get(), levels);
        fill_hint_caption(node->data.get(), node, levels);
    } catch (const std::exception&) {
        return;
    }
    viewport->setToolTip(to_qstring(node->item()->name));
    activate_hint(viewport);
}

void TForm4::Button3Click() {
    clear_results();
    if (search_area_mode)
        end_search_area();
}

void TForm4::Menu2Popup() {
    const bool shown = TreeResult->currentIndex().isValid() && rPreference.EDIB;
    for (const char* name : {"Modif2", "Couper2"})
        menu_item(Menu2, name)->setVisible(shown);
}

void TForm4::Modif2Click() {
    TreeNode* node = result_model->node_at(TreeResult->currentIndex());
    if (!node)
        show_message(8, false);
    else if (node->visible)
        edit_point_dialog(node);
    else
        show_message(54, false);
}

void TForm4::Couper2Click() {
    TreeNode* node = result_model->node_at(TreeResult->currentIndex());
    if (!node)
        show_message(8, false);
    else if (!db_readonly() && may_edit_db())
        cut_point(node);
}
