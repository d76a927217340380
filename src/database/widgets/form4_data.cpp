// The main window's database list and menu, and the data load, unload and reload.

#include "database/database_list.h"
#include "foundation/Data.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/map_data.h"
#include "foundation/text_codec.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/ImageMap.h"
#include "mainwindow/widgets/map.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

void TForm4::check_database(uint8_t flags) {
    if (check_database_list(flags))
        set_edit_mode(false);
}

void TForm4::build_db_menu() {
    clear_db_menu();
    auto* group = new QActionGroup(menu_db);
    for (rdbavailable* r : database_menu_entries()) {
        QAction* a = menu_db->addAction(to_qstring(r->folder));
        a->setCheckable(true);
        a->setActionGroup(group);
    }
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
    QAction* previous = nullptr;
    for (QAction* a : menu_db->actions())
        if (a != item && from_qstring(a->text().remove(QLatin1Char('&'))) == db_name)
            previous = a;
    bool was_current = from_qstring(item->text().remove(QLatin1Char('&'))) == db_name;
    if (previous)
        previous->setChecked(true);
    if (!confirm_save_additions(1))
        return;
    if (was_current) {
        item->setChecked(true);
        return;
    }
    item->setChecked(true);
    db_name = from_qstring(item->text().remove(QLatin1Char('&')));
    reload_database(2);
}

void TForm4::load_data() {
    if (quit_flag) {
        close();
        return;
    }
    QElapsedTimer ticks;
    ticks.start();
    check_menu_db();
    additions_file_name = "Vev_ajouts_" + db_name + ".txt";
    master_file = db_path + "master.loc";
    common_data = std::make_unique<TData_common>();
    Memo1->clear();
    map_data = std::make_unique<TData_map>();
    if (!maps_complete(*map_data))
        offer_generation();
    build_zone_tree();
    bool editable = selected_database && !selected_database->not_editable;
    but_editmode->setEnabled(editable);
    show_edit_items(rPreference.EDIB && editable);

    set_status(get_text(180));
    std::string stream;
    std::vector<QPixmap> listmenu;
    load_section(stream, master_file, 1);
    load_icon_strip(listmenu, QSize(20, 13), std::string(), &stream);
    if (!listmenu.empty())
        Image1->setPixmap(listmenu.front());

    std::string seconds = std::to_string(ticks.elapsed() / 1000.0);
    seconds.erase(seconds.find_last_not_of('0') + 1);
    if (!seconds.empty() && seconds.back() == '.')
        seconds.pop_back();
    for (char& c : seconds)
        if (c == '.')
            c = ',';
    Memo1->appendPlainText(to_qstring(format_text(get_info_text(7), seconds, "")));
    Timer3.setInterval(300000);
    if (rPreference.AUTO)
        Timer3.start();
    else
        Timer3.stop();
    set_status("");
}

void TForm4::unload_data() {
    Timer3.stop();
    rejected_lines = 0;
    selection_ancestors.fill(nullptr);
    continent_node = nullptr;
    points_tree.clear();
    ImageList_c.clear();
    map_data.reset();
}

void TForm4::reload_database(uint8_t flags) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    lock_toolbars(true);
    QCoreApplication::processEvents();
    const int continent = current_continent;
    const QPoint offset = view_offset;
    const int kept_zoom = zoom;
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
        current_continent = continent;
        view_offset = offset;
        zoom = kept_zoom;
        feedback(64, 1, db_name,
                 selected_database ? selected_database->display_description : std::string());
    }
    lock_toolbars(false);
    toggle_tagnew(false);
    QApplication::restoreOverrideCursor();
    if (quit_flag)
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TForm4::refresh_items(bool all) {
    if (all)
        repaint_map();
}

void TForm4::set_edit_mode(bool on) {
    but_editmode->setChecked(on);
    rPreference.EDIB = on;
}

void TForm4::show_edit_items(bool on) {
    but_sav->setVisible(rPreference.EDIB);
    but_mail->setVisible(rPreference.EDIB);
    for (QMenu* m : {Menu_image, Menu1, Menu2})
        for (QAction* a : m->actions()) {
            const QString n = a->objectName();
            if (n == "ajouter1" || n == "Copiernode1" || n == "coupernode1" || n == "hyperlink1" ||
                n == "N6" || n == "waypoint1" || n == "wpdefaire1" || n == "Modif1" ||
                n == "Copier1" || n == "Couper1" || n == "Modif2" || n == "Couper2")
                a->setVisible(on);
        }
}
