// The main window's editing commands: the two guards, adding and modifying points through the
// point editor, cut, copy and paste through the clipboard copy, removing nodes, the map's and the
// tree's menus, and the references of the selected point. The logic lives in editing/.

#include "database/database_list.h"
#include "database/paths.h"
#include "database/widgets/points_tree_model.h"
#include "editing/point_edit.h"
#include "editing/widgets/point_editor.h"
#include "foundation/control_tag.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "mainwindow/map_view.h"
#include "mainwindow/picking.h"
#include "mainwindow/widgets/map.h"
#include "platform/shell.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QScopedValueRollback>
#include <QStringListModel>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr TColor32 kCommentLinkColour = 0xFFFF8800;
// Dynamic items of the map's menu have Tags from here on.
constexpr int kDynamicTag = 256;
constexpr size_t kRedirectNameLength = 40;

// Forgets every reference the window keeps to a point node about to be deleted, before it goes:
// whatever runs meanwhile finds none.
void forget_node(TForm4& form, TreeNode* node) {
    if (form.clipboard_node && form.clipboard_node->source_node == node)
        form.clipboard_node->source_node = nullptr;
    form.select_node(nullptr);
    form.current_point = nullptr;
    form.marker_hits.clear();
    if (form.hovered_node == node)
        form.hovered_node = nullptr;
    if (HCaption.node == node)
        HCaption.node = nullptr;
    form.remove_result(node);
    // Routes are read on every repaint and recolouring: the deleted point's goes at once.
    std::erase_if(form.path_list, [node](const rwpitem& p) { return p.node == node; });
    // A region keeps its cells until the regions are rebuilt, but no longer its point.
    for (const auto& region : form.region_list)
        if (region->node == node) {
            region->node = nullptr;
            region->node_data = nullptr;
        }
}

} // namespace

// ---- Guards ----

bool TForm4::db_readonly() {
    if (!selected_database || !selected_database->not_editable)
        return false;
    feedback(68, 3);
    return true;
}

bool TForm4::may_edit_db() {
    if (lower_ascii(db_name) == lower_ascii(edit_db_name))
        return true;
    feedback(66, 3, db_name, edit_db_name, FeedbackLines::kNameArg1 | FeedbackLines::kNameArg2);
    return false;
}

// ---- Set-up ----

void TForm4::init_editing() {
    ajouter1 = menu_item(Menu_image, "ajouter1");
    Copiernode1 = menu_item(Menu_image, "Copiernode1");
    coupernode1 = menu_item(Menu_image, "coupernode1");
    hyperlink1 = menu_item(Menu_image, "hyperlink1");
    connect(ajouter1, &QAction::triggered, this, [this] { ajouter1Click(); });
    connect(Copiernode1, &QAction::triggered, this, [this] { Copiernode1Click(); });
    connect(coupernode1, &QAction::triggered, this, [this] { coupernode1Click(); });
    connect(hyperlink1, &QAction::triggered, this, [this] { hyperlink1Click(); });
    connect(menu_item(Menu1, "Modif1"), &QAction::triggered, this, [this] { Modif1Click(); });
    connect(menu_item(Menu1, "Copier1"), &QAction::triggered, this, [this] { Copier1Click(); });
    connect(menu_item(Menu1, "Couper1"), &QAction::triggered, this, [this] { Couper1Click(); });
    connect(menu_item(Menu1, "Fermer1"), &QAction::triggered, this, [this] { Fermer1Click(); });
    MyTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(MyTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (!busy)
            Menu1->popup(MyTree->viewport()->mapToGlobal(at));
    });

    // The references of the selected point, under the points tree.
    TreeRedir = new QTreeView(TabSheet3);
    TreeRedir->setObjectName(QStringLiteral("TreeRedir"));
    TreeRedir->setHeaderHidden(true);
    TreeRedir->setRootIsDecorated(false);
    TreeRedir->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeRedir->setFixedHeight(60);
    redirect_model = new QStringListModel(TreeRedir);
    TreeRedir->setModel(redirect_model);
    static_cast<QVBoxLayout*>(TabSheet3->layout())->insertWidget(1, TreeRedir);
}

// ---- The point editor ----

namespace {

void run_editor(TForm4& form, TForm2& dialog) {
    const QScopedValueRollback open(form.editor_open, true);
    if (form.on_point_editor) {
        dialog.FormShow();
        form.on_point_editor(dialog);
    } else {
        exec_modal(dialog);
    }
}

} // namespace

void TForm4::add_point_dialog() {
    if (busy || editor_open || db_readonly() || !may_edit_db() || !mouse_zone)
        return;
    points_tree.begin_update();
    TForm2 dialog(*this);
    dialog.new_point(mouse_zone, free_position(zone_node(mouse_zone->zone_id), mouse_zone_pos),
                     clipboard_node ? clipboard_node->source_node : nullptr);
    run_editor(*this, dialog);
    points_tree.end_update();
    refresh_overlays(dialog.rebuild_regions);
    show_on_map(dialog.result_node, 0, 0, 0);
    MyTree->viewport()->update();
    repaint_map();
}

void TForm4::edit_point_dialog(TreeNode* node) {
    if (busy || editor_open || !node || !node->item() || db_readonly() || !may_edit_db())
        return;
    const rItemdata& item = *node->item();
    if (item.locked && item.name == "Master_Cancel") {
        show_message(45, false);
        return;
    }
    if (item.locked)
        show_message(69, false);
    points_tree.begin_update();
    TForm2 dialog(*this);
    dialog.modify_point(node, clipboard_node ? clipboard_node->source_node : nullptr);
    run_editor(*this, dialog);
    points_tree.end_update();
    if (dialog.changed)
        refresh_overlays(dialog.rebuild_regions);
    if (dialog.changed_count > 0)
        feedback(65, 3, std::to_string(dialog.changed_count + 1));
    show_on_map(dialog.result_node, 0, 0, 0);
    MyTree->viewport()->update();
    RegionTree->viewport()->update();
    repaint_map();
}

// ---- Cut, copy, paste and removal ----

void TForm4::cut_point(TreeNode* node) {
    if (busy || !node || !node->item())
        return;
    if (node->item()->locked) {
        show_message(45, false);
        return;
    }
    points_tree.begin_update();
    toggle_tagnew(true);
    copy_point(node);
    add_deletion_entry(node);
    destroynode_runtime(node);
    update_visibility();
    points_tree.end_update();
    repaint_map();
    MyTree->viewport()->update();
}

void TForm4::copy_point(TreeNode* node) {
    if (!clipboard_node || (node && !node->item()))
        return;
    copy_to_clipboard(*clipboard_node, node);
    QGuiApplication::clipboard()->setText(to_qstring(clipboard_node->item->name));
}

void TForm4::paste_point() {
    if (busy || db_readonly() || !may_edit_db() || !clipboard_node ||
        clipboard_node->item->name.empty() || !mouse_zone)
        return;
    points_tree.begin_update();
    const TPoint at = free_position(zone_node(mouse_zone->zone_id), mouse_zone_pos);
    TreeNode* node = addnode(paste_record(*clipboard_node, *mouse_zone, at, points_tree));
    toggle_tagnew(true);
    points_tree.end_update();
    refresh_overlays(false);
    show_on_map(node, 0, 0, 0);
    MyTree->viewport()->update();
    repaint_map();
}

void TForm4::add_deletion_entry(TreeNode* node) {
    if (node && node->item() && node->item()->master_id != 0)
        addnode(deletion_entry(*node));
}

void TForm4::destroynode(TreeNode* node) {
    if (!node)
        return;
    forget_node(*this, node);
    points_tree.delete_node(node);
}

void TForm4::destroynode_runtime(TreeNode* node) {
    if (!node)
        return;
    forget_node(*this, node);
    points_tree.delete_node(node);
    build_paths();
    build_links();
    update_path_colors();
}

// ---- The map's menu ----

void TForm4::ajouter1Click() {
    if (current_point)
        edit_point_dialog(current_point);
    else
        add_point_dialog();
}

void TForm4::Copiernode1Click() {
    if (current_point)
        copy_point(current_point);
    else
        paste_point();
}

void TForm4::coupernode1Click() {
    if (current_point && !db_readonly() && may_edit_db())
        cut_point(current_point);
}

void TForm4::hyperlink1Click() {
    if (busy || db_readonly() || !may_edit_db() || !clipboard_node ||
        clipboard_node->item->name.empty())
        return;
    rItemdata* item = current_point ? current_point->item() : nullptr;
    if (!item)
        return;
    item->comment += " {" + clipboard_node->item->name + "}";
    item->from_master = false;
    toggle_tagnew(true);
    show_on_map(current_point, 0, 0, 0);
}

void TForm4::update_popup_items() {
    const bool enabled = mouse_zone != nullptr;
    ajouter1->setEnabled(enabled);
    waypoint1->setEnabled(enabled);
    if (!enabled)
        for (QAction* a : {Copiernode1, coupernode1, hyperlink1})
            a->setEnabled(false);
}

void TForm4::Menu_imagePopup() {
    while (!Menu_image->actions().isEmpty() && tag_of(Menu_image->actions().first()) >= kDynamicTag)
        delete Menu_image->actions().first();
    update_popup_items();
    if (!mouse_zone)
        return;
    const std::string copied =
        clipboard_node && clipboard_node->item ? clipboard_node->item->name : std::string();
    auto set = [](QAction* a, bool enabled, const std::string& caption) {
        a->setEnabled(enabled);
        a->setText(menu_caption(caption));
    };
    const std::string link_caption =
        get_menu_text(15) + (copied.empty() ? "" : " [" + copied + "]");
    if (!current_point || !current_point->item()) {
        ajouter1->setText(menu_caption(get_menu_text(30) + " [") + name_caption(db_name) + "]");
        set(coupernode1, false, get_menu_text(33));
        if (!copied.empty())
            set(Copiernode1, true, get_menu_text(36) + " [" + copied + "]");
        else
            set(Copiernode1, false, get_menu_text(32));
        set(hyperlink1, false, link_caption);
        return;
    }
    const rItemdata& item = *current_point->item();
    parse_redirects(current_point, false);
    const int32_t id = first_id(item.comment);
    if (selected_database && selected_database->not_editable && id >= 1) {
        auto* web = new Tmytmenuitem(menu_caption(item.name), Menu_image);
        set_tag(web, kDynamicTag + id);
        if (!listmenu.empty())
            web->setIcon(listmenu.front());
        web->category = current_point->data->category;
        connect(web, &QAction::triggered, this, [this, web] { popupredir_name_click(web); });
        Menu_image->insertAction(Menu_image->actions().value(0), web);
    }
    ajouter1->setText(menu_caption(get_menu_text(31) + " [" + item.name + "][") +
                      name_caption(db_name) + "]");
    set(Copiernode1, true, get_menu_text(32) + " [" + item.name + "]");
    set(coupernode1, true, get_menu_text(33) + " [" + item.name + "]");
    set(hyperlink1, !copied.empty(), link_caption);
}

void TForm4::popupredir_click(QAction* item) {
    goto_node(find_point_by_name(nullptr, from_qstring(item->property("name").toString()), false),
              kShowMove);
}

void TForm4::popupredir_name_click(QAction* item) {
    auto* web = dynamic_cast<Tmytmenuitem*>(item);
    if (web && web->category)
        shell_open(web->category->id_link_prefix + std::to_string(tag_of(web) - kDynamicTag));
}

// ---- The tree's menu ----

TreeNode* TForm4::focused_point() {
    TreeNode* node = TPointsTreeModel::node_of(MyTree->currentIndex());
    if (!node) {
        feedback(8, 2);
        return nullptr;
    }
    if (node->level != kLevelPoint) {
        feedback(9, 2);
        return nullptr;
    }
    return node;
}

void TForm4::Modif1Click() {
    if (TreeNode* node = focused_point())
        edit_point_dialog(node);
}

void TForm4::Copier1Click() {
    if (TreeNode* node = focused_point())
        copy_point(node);
}

void TForm4::Couper1Click() {
    if (TreeNode* node = focused_point(); node && !db_readonly() && may_edit_db())
        cut_point(node);
}

void TForm4::Fermer1Click() {
    MyTree->collapseAll();
}

// ---- References of the selected point ----

void TForm4::clear_redirects() {
    comment_lines.clear();
    if (redirect_model)
        redirect_model->setStringList({});
}

bool TForm4::parse_redirects(TreeNode* node, bool to_tree) {
    const rItemdata* item = node ? node->item() : nullptr;
    if (!item || trim_blanks(item->comment).empty())
        return false;
    if (to_tree) {
        const std::vector<std::string> names = comment_link_names(item->comment);
        for (const std::string& name : names)
            add_redirect(node, name);
        return !names.empty();
    }
    const bool read_only = selected_database && selected_database->not_editable;
    const std::vector<TReferenceItem> items = reference_items(item->comment, read_only);
    int k = 0;
    for (const TReferenceItem& r : items) {
        auto* a = new QAction(menu_caption(r.caption), Menu_image);
        set_tag(a, r.tag);
        a->setProperty("name", to_qstring(r.caption));
        if (r.web && !listmenu.empty())
            a->setIcon(listmenu.front());
        connect(a, &QAction::triggered, this, [this, a] { popupredir_click(a); });
        Menu_image->insertAction(Menu_image->actions().value(k++), a);
    }
    auto* separator = new QAction(Menu_image);
    separator->setSeparator(true);
    set_tag(separator, kDynamicTag);
    Menu_image->insertAction(Menu_image->actions().value(k), separator);
    return !items.empty();
}

void TForm4::add_redirect(TreeNode* source, const std::string& name) {
    if (redirect_model) {
        QStringList names = redirect_model->stringList();
        names << to_qstring(name.substr(0, kRedirectNameLength));
        redirect_model->setStringList(names);
    }
    if (first_id(name) == 0)
        find_point_by_name(source, name, true);
}

void TForm4::add_link_line(TreeNode* source, TreeNode* target) {
    const pMap_info* from = node_zone(source);
    const pMap_info* to = node_zone(target);
    const rItemdata* a = source ? source->item() : nullptr;
    const rItemdata* b = target ? target->item() : nullptr;
    if (!from || !to || !a || !b || from->continent_id != to->continent_id)
        return;
    const TPoint p = worldmaptoworld({a->x, a->y}, *from);
    const TPoint q = worldmaptoworld({b->x, b->y}, *to);
    comment_lines.push_back({p.x, p.y, q.x, q.y, kCommentLinkColour});
}
