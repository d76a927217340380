// The main window's database list and menu, and the data load, unload and reload.

#include "database/database_list.h"
#include "database/points_reader.h"
#include "foundation/Data.h"
#include "foundation/func_color.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/map_data.h"
#include "foundation/node_data.h"
#include "foundation/text_codec.h"
#include "mainwindow/pref_convert.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/G32_ProgressBar.h"
#include "mainwindow/widgets/ImageMap.h"
#include "mainwindow/widgets/map.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QTreeView>

namespace {

// Feedback messages: a database folder left out by the scan; the folders past its limit.
constexpr int kFolderLeftOutMessage = 79;
constexpr int kFoldersNotListedMessage = 80;

} // namespace

void TForm4::check_database(uint8_t flags) {
    if (check_database_list(flags))
        set_edit_mode(false);
}

void TForm4::build_db_menu() {
    clear_db_menu();
    auto* group = new QActionGroup(menu_db);
    for (rdbavailable* r : database_menu_entries()) {
        QAction* a = menu_db->addAction(name_caption(r->folder));
        // The folder name itself: the caption doubles every "&".
        a->setData(QByteArray::fromStdString(r->folder));
        a->setCheckable(true);
        a->setActionGroup(group);
    }
}

std::string TForm4::menu_db_folder(const QAction* item) {
    return item->data().toByteArray().toStdString();
}

void TForm4::clear_db_menu() {
    const auto actions = menu_db->actions();
    for (auto it = actions.rbegin(); it != actions.rend(); ++it) {
        if ((*it)->isCheckable()) {
            menu_db->removeAction(*it);
            delete *it;
        }
    }
}

void TForm4::ressourceClick(QAction* item) {
    if (busy)
        return;
    // The group has already moved the check mark: put it back until the choice is confirmed.
    const std::string chosen = menu_db_folder(item);
    QAction* previous = nullptr;
    for (QAction* a : menu_db->actions())
        if (a != item && menu_db_folder(a) == db_name)
            previous = a;
    if (previous)
        previous->setChecked(true);
    if (!confirm_save_additions(1))
        return;
    item->setChecked(true);
    // A database chosen for the next start gives way to this choice, the loaded one included.
    next_start_db_name.clear();
    if (chosen == db_name)
        return;
    db_name = chosen;
    reload_database(2);
}

void TForm4::feedback_database_loaded() {
    feedback(64, 1, db_name,
             selected_database ? selected_database->display_description : std::string(),
             FeedbackLines::kNameArg1);
    // The lines go in at once: the map is painted once, however many there are.
    for (const std::string& folder : database_scan_report.unreadable)
        feedback_lines.add_feedback(kFolderLeftOutMessage, 6, folder, {}, FeedbackLines::kNameArg1);
    if (database_scan_report.not_listed != 0)
        feedback_lines.add_feedback(kFoldersNotListedMessage, 6, std::to_string(max_databases),
                                    std::to_string(database_scan_report.not_listed));
    if (!database_scan_report.unreadable.empty() || database_scan_report.not_listed != 0)
        repaint_map();
    database_scan_report = TScanReport{};
}

void TForm4::load_data() {
    if (quit_flag) {
        close();
        return;
    }
    QElapsedTimer ticks;
    ticks.start();
    check_menu_db();
    search_area = std::make_unique<TSearchArea>();
    search_area->criteria = 0x0001;
    set_additions_file(db_name);
    master_file = db_path + "master.loc";
    common_data = std::make_unique<TData_common>(std::string(), std::string(), true);
    if (!common_data->property_error.empty())
        show_box(MessageKind::Plain, "[DataBase Error] " + common_data->property_error);
    search_area_mode = false;
    zoom_filtering = true;
    mouse_zone = nullptr;
    Memo1->clear();
    load_tips();
    selection_ancestors.fill(nullptr);
    realm = std::make_unique<TRealm_info>();
    map_data = realm->map_data.get();
    if (!maps_complete(*map_data))
        offer_generation();
    clear_continent_menu();
    for (size_t i = 0; i < map_data->continents.size(); ++i)
        add_continent_menu(map_data->continents[i].get(), static_cast<int>(i));
    init_clipboard_node();
    build_zone_tree();
    const bool editable = selected_database && !selected_database->not_editable;
    for (QToolButton* b : {but_editmode, but_mail}) {
        set_tool_button_enabled(b, editable);
        if (editable)
            unavailable_.remove(b);
        else
            unavailable_.insert(b);
    }
    show_edit_items(rPreference.EDIB && editable);

    points_tree.begin_update();
    {
        set_status(get_text(180));
        std::string stream;
        load_section(stream, master_file, 1);
        load_icon_strip(listmenu, QSize(20, 13), std::string(), &stream);
        load_section(stream, master_file, 7);
        load_icon_strip(Listiconmap, QSize(11, 11), std::string(), &stream);
        load_section(stream, master_file, 8);
        load_icon_strip(ImageList_c, QSize(16, 16), std::string(), &stream);
        if (!listmenu.empty())
            Image1->setPixmap(listmenu.front());
        load_database();
        reload_additions();
        build_regions();
    }
    points_tree.end_update();

    Memo1->appendPlainText(
        to_qstring(format_text(get_info_text(7), pref_float_to_str(ticks.elapsed() / 1000.0), "")));
    // Files cut or refused at their limits since the program started or the last load.
    if (take_outside_limits() > 0)
        feedback(83, 8);
    if (rPreference.AUTO)
        Timer3.start();
    else
        Timer3.stop();
    set_status("");
}

void TForm4::load_database() {
    QElapsedTimer ticks;
    ticks.start();
    {
        std::string stream;
        show_progress();
        try {
            if (load_section(stream, master_file, 9))
                read_database(stream);
            else
                show_message(38, false, from_qstring(QFileInfo(to_path(master_file)).fileName()));
        } catch (const std::bad_alloc&) {
            // Out of memory: the database counts as damaged.
            stream = std::string();
            drop_points();
            show_message(35, false);
        }
        G32_ProgressBar1->hide();
    }
    Memo1->appendPlainText(
        to_qstring(format_text(get_info_text(4), pref_float_to_str(ticks.elapsed() / 1000.0), "")));
    Memo1->appendPlainText(QString());
    // The lines show now; input waits until the load is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm4::read_database(std::string_view stream) {
    PointsReaderSink sink;
    sink.add_node = [this](rnew_node& r) { addnode(r); };
    sink.memo_line = [this](const std::string& line) { Memo1->appendPlainText(to_qstring(line)); };
    sink.progress_range = [this](int max) {
        G32_ProgressBar1->setMin(0);
        G32_ProgressBar1->setMax(max);
        G32_ProgressBar1->repaint();
    };
    sink.progress_position = [this](int pos) { G32_ProgressBar1->setPosition(pos); };
    const PointsReadResult r = ::read_database(stream, sink);
    if (r.damaged) {
        drop_points();
        return;
    }
    if (r.header_value1)
        realm->header_value1 = static_cast<int32_t>(*r.header_value1);
    if (r.header_value2)
        realm->header_value2 = static_cast<int32_t>(*r.header_value2);
    if (r.date)
        database_date = *r.date;
}

void TForm4::drop_points() {
    points_tree.clear();
    build_zone_tree();
}

void TForm4::init_clipboard_node() {
    clipboard_node = new_clipboard_copy();
}

void TForm4::load_tips() {
    tips.clear();
    tips_width = 0;
    tips_height = 0;
    read_text_lines(res_path + path_name(language) + "/tips.txt", kTipsLimits, tips);
    // The lines are drawn 15 pixels apart: a smaller height would leave the last ones outside
    // the panel.
    const int height = std::max(QFontMetrics(feedback_font()).height(), 15);
    for (const std::string& line : tips) {
        tips_width = std::max(tips_width, text_width(line));
        tips_height = height;
    }
}

TreeNode* TForm4::continent_zone_node(int32_t continent) {
    if (continent == -1 || !map_data)
        return nullptr;
    TreeNode* found = nullptr;
    for (const auto& zone : map_data->zones)
        if (zone->continent_id == continent)
            found = zone->tree_node;
    return found;
}

void TForm4::unload_data() {
    clear_regions();
    search_area.reset();
    clear_results();
    Timer3.stop();
    rejected_lines = 0;
    set_cursor_mode(0);
    marker_hits.clear();
    select_node(nullptr);
    selection_ancestors.fill(nullptr);
    // Nothing is left pointing into the deleted tree and map data.
    current_point = nullptr;
    hovered_node = nullptr;
    HCaption.node = nullptr;
    continent_node = nullptr;
    continent_zones.clear();
    continent_record = nullptr;
    mouse_zone = nullptr;
    points_tree.clear();
    clipboard_node.reset();
    map_data = nullptr;
    realm.reset();
    Listiconmap.clear();
    listmenu.clear();
    ImageList_c.clear();
}

bool TForm4::reload_database(uint8_t flags) {
    // The reload reads the additions file again: unsaved additions are saved or discarded first.
    if (!confirm_save_additions(1))
        return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    lock_toolbars(true);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const int continent = current_continent;
    const QPoint offset = view_offset;
    const int kept_zoom = zoom;
    unload_continent();
    unload_data();
    common_data.reset();
    if (flags & 2) {
        load_db_list();
        check_database(0);
    }
    if (!quit_flag) {
        db_path = database_path + db_name + "/";
        if (flags & 1) {
            build_db_menu();
            load_ressource();
            localise_menus();
        }
        load_data();
        refresh_items(true);
        show_on_map(continent_zone_node(continent), 0, 0, 1);
        view_offset = offset;
        zoom = kept_zoom;
        feedback_database_loaded();
    }
    lock_toolbars(false);
    toggle_tagnew(false);
    QApplication::restoreOverrideCursor();
    if (quit_flag)
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    return true;
}

void TForm4::refresh_items(bool unload) {
    if (unload) {
        unload_continent();
        repaint_map();
    }
    points_tree.begin_update();
    recolour_all = true;
    update_item_colors();
    points_tree.end_update();
}

void TForm4::update_item_colors() {
    if (!map_data) {
        recolour_all = false;
        return;
    }
    const TPropertyColors* property_colours = common_data ? &common_data->property_colors : nullptr;
    for (const auto& zone : map_data->zones) {
        TreeNode* node = zone->tree_node;
        if (!node)
            continue;
        node = TPointsTree::next(node);
        while (node && node->level > kLevelZone) {
            rCateg* category = node->data ? node->data->category : nullptr;
            if (node->level == kLevelCategory && category && category->type != 1 && !recolour_all) {
                node = TPointsTree::next_after_subtree(node);
                continue;
            }
            rItemdata* item = node->item();
            if (node->level == kLevelPoint && item && category) {
                if (category->type == 1)
                    item->colour = static_cast<TColor>(level_color(
                        rPreference.NIVP, nearest_level(item->level_min, item->level_max),
                        static_cast<uint32_t>(category->colour), rPreference.CLVL));
                else if (recolour_all && (category->type == 3 || category->type == 4))
                    item->colour = flag_color(item->flags, category->colour, property_colours);
                else if (recolour_all)
                    item->colour = category->colour;
            }
            node = TPointsTree::next(node);
        }
    }
    recolour_all = false;
    MyTree->viewport()->update();
}

void TForm4::refresh_overlays(bool rebuild_regions) {
    if (rebuild_regions) {
        clear_regions();
        build_regions();
    }
    update_item_colors();
    build_paths();
    build_links();
    update_visibility();
}

void TForm4::set_edit_mode(bool on) {
    but_editmode->setChecked(on);
    rPreference.EDIB = on;
}

void TForm4::show_edit_items(bool on) {
    set_tool_button_visible(but_sav, rPreference.EDIB);
    set_tool_button_visible(but_mail, rPreference.EDIB);
    for (QMenu* m : {Menu_image, Menu1, Menu2})
        for (QAction* a : m->actions()) {
            const QString n = a->objectName();
            if (n == "ajouter1" || n == "Copiernode1" || n == "coupernode1" || n == "hyperlink1" ||
                n == "N6" || n == "waypoint1" || n == "wpdefaire1" || n == "Modif1" ||
                n == "Copier1" || n == "Couper1" || n == "Modif2" || n == "Couper2")
                a->setVisible(on);
        }
}
