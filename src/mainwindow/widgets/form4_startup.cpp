// Start-up, shutdown and the small services of the main window.

#include "database/additions_file.h"
#include "database/database_list.h"
#include "editing/search_engine.h"
#include "foundation/Data.h"
#include "foundation/control_tag.h"
#include "foundation/func_color.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/map_data.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "foundation/widgets/translate_form.h"
#include "mainwindow/links.h"
#include "mainwindow/preferences.h"
#include "mainwindow/startup.h"
#include "mainwindow/widgets/G32_ProgressBar.h"
#include "mainwindow/widgets/ImageMap.h"
#include "mainwindow/widgets/map.h"
#include "platform/shell.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>

void TForm4::FormCreate() {
    first_activation = true;
    markers_shown = true;
    current_continent = -1;

    for (auto* section :
         {&res_captions, &res_hints, &res_infos, &res_menus, &res_messages, &res_about, &res_types})
        section->assign(1, "-");
    database_list.clear();
    selected_database = nullptr;

    rPreference = TPreference{};
    init_score_levels();
    ZoomBar->setRange(20, 3500);
    qApp->installEventFilter(this);
    keep_closed_menus_quiet();
    install_hint_window();
    set_hint_pause(0);

    autosave_allowed = true;
    zoom = 100;
    side_panel = true;

    if (app_path.empty())
        app_path = native_path(QCoreApplication::applicationDirPath()) + "/";
    data_path = app_path + "data/";
    database_path = app_path + "database/";
    maps_path = app_path + "maps/";
    res_path = app_path + "res/";
    ajouts_path = app_path + "ajouts/";
    ensure_dir(maps_path);
    ensure_dir(maps_path + "high/");
    ensure_dir(ajouts_path);

    window_rect = TWindowRect{};
    init_level_colors();
    load_prefs();
    if (rPreference.VALT.size() != 12)
        rPreference.VALT = random_id();

    restore_window_rect();
    set_hint_pause(rPreference.TIME);

    setWindowTitle(QString::fromLatin1(kWindowCaption));
    feedback_lines.clear();
    update_list_panel();
    reload_links();
    toggle_tagnew(false);

    Edit_lvl_min->setText(QString::number(rPreference.MINN));
    Edit_lvl_max->setText(QString::number(rPreference.MAXN));
    connect_level_filter();

    load_vectors();
    create_map_layer();
    init_search();
    init_editing();

    load_icon_strip(ImageList1, QSize(16, 16), data_path + "icon_a.bmp", nullptr);
    load_icon_strip(ImageList3, QSize(16, 16), data_path + "icon_b.bmp", nullptr);
    apply_toolbar_icons();
    init_commands();
}

void TForm4::FormActivate() {
    // Dialogs opened below run their own event loop: the start-up must not begin again.
    if (!first_activation || activating_)
        return;
    activating_ = true;
    lock_toolbars(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    but_liste1->setChecked(side_panel);
    PageControl->setCurrentWidget(TabSheet1);
    if (rPreference.ALFA)
        setWindowOpacity((rPreference.ALFV & 0xFF) / 255.0);
    Editlvl->setText(QString::number(rPreference.NIVP));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    load_db_list();
    check_database(1);
    if (language.empty() || db_name.empty())
        show_firstinfo(1);
    if (language.empty())
        language = kFallbackLanguage;
    if (db_name.empty())
        db_name = kFallbackLanguage;
    if (edit_db_name.empty())
        set_edit_mode(false);
    check_database(0);

    if (!quit_flag) {
        db_path = database_path + db_name + "/";
        build_db_menu();
        load_ressource();
        localise_menus();
        update_check_by_period();
        if (database_updated) {
            load_db_list();
            check_database(0);
        }
    }
    if (!quit_flag) {
        if (database_updated) {
            build_db_menu();
            load_ressource();
            localise_menus();
        }
        load_data();
        refresh_items(true);
        if (rPreference.LOCA) {
            show_on_map(continent_zone_node(rPreference.LOCR), 0, 0, 1);
            ZoomBar->setValue(zoom);
        }
        feedback_database_loaded();
    }

    database_updated = false;
    first_activation = false;
    activating_ = false;
    lock_toolbars(false);
    toggle_tagnew(false);
    QApplication::restoreOverrideCursor();
    if (quit_flag)
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    repaint_map();
}

void TForm4::restore_window_rect() {
    QSize screen(window_rect.width, window_rect.height);
    QRect available;
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        screen = s->size();
        available = s->availableGeometry();
    }
    const QSize frame = frameGeometry().size() - size();
    frame_pending_ = frame.isNull();
    const QSize whole(std::min(window_rect.width, screen.width()),
                      std::min(window_rect.height, screen.height()));
    QPoint at(window_rect.left, window_rect.top);
    // A place wholly off every screen (a screen since unplugged, a hand-edited pref.ini) would
    // hide the window at every start: it comes back near the primary screen's top left corner.
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (!available.isEmpty() && std::none_of(screens.begin(), screens.end(), [&](QScreen* s) {
            return s->availableGeometry().intersects(QRect(at, whole));
        }))
        at = available.topLeft() + QPoint(std::clamp(available.width() - whole.width(), 0, 50),
                                          std::clamp(available.height() - whole.height(), 0, 50));
    move(at);
    resize(whole - frame);
}

void TForm4::track_window_rect() {
    if (!isVisible() ||
        (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QRect frame = frameGeometry();
    if (frame_pending_ && frame.size() != size()) {
        // The frame is known now: the stored size was meant for the whole window.
        frame_pending_ = false;
        resize(size() - (frame.size() - size()));
        return;
    }
    window_rect = {frame.width(), frame.height(), frame.top(), frame.left()};
}

void TForm4::update_check_by_period() {
    if (update_due_by_period(rPreference.DATU, now_datetime() - rPreference.DATW))
        show_update();
    if (now_datetime() - rPreference.DATW < 0)
        show_update();
}

bool TForm4::FormCloseQuery() {
    if (first_activation)
        return false;
    return confirm_save_additions(1);
}

void TForm4::FormDestroy() {
    if (destroyed_)
        return;
    destroyed_ = true;
    qApp->removeEventFilter(this);
    Timerfeedback.stop();
    Timer3.stop();
    save_prefs();
    unload_continent();
    if (!quit_flag) {
        unload_data();
        common_data.reset();
    }
    points_model.reset();
    database_list.clear();
    selected_database = nullptr;
    link_list.clear();
    target_marker.reset();
    splash = QImage();
    clear_feedback();
    for (auto* section :
         {&res_captions, &res_infos, &res_menus, &res_messages, &res_hints, &res_about, &res_types})
        section->clear();
}

void TForm4::save_on_session_end() {
    save_additions_quietly();
    save_prefs();
}

void TForm4::lock_toolbars(bool value) {
    busy = value;
    for (QToolBar* bar : {ToolBar1, ToolBar2, ToolBar3}) {
        for (auto* b : bar->findChildren<QToolButton*>())
            set_tool_button_enabled(b, !value && !unavailable_.contains(b));
        bar->repaint();
    }
}

void TForm4::check_menu_db() {
    const QString wanted = to_path(db_name);
    for (QAction* a : menu_db->actions()) {
        if (to_path(menu_db_folder(a)).compare(wanted, Qt::CaseInsensitive) == 0) {
            a->setChecked(true);
            break;
        }
    }
}

void TForm4::update_list_panel() {
    if (!PanelDock)
        return;
    bool any_down = but_liste1->isChecked() || but_liste3->isChecked() || but_liste4->isChecked();
    if (width() >= 300) {
        side_panel = any_down;
    } else {
        side_panel = false;
        for (QToolButton* b : {but_liste1, but_liste3, but_liste4})
            b->setChecked(false);
    }
    PanelDock->setVisible(side_panel);
}

void TForm4::apply_stay_on_top() {
    const QRect geometry = this->geometry();
    const bool was_visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, but_stay->isChecked());
    setGeometry(geometry);
    if (was_visible)
        show();
}

void TForm4::set_hint_pause(int ms) {
    hint_pause_ = ms > 0 ? ms : 999000;
}

void TForm4::ensure_dir(const std::string& path) {
    if (!directory_exists(path))
        QDir().mkdir(to_path(path));
}

void TForm4::load_vectors() {
    convert_polyline_file(data_path + "grid.vec", grid_vectors);
    border_vectors = read_outline(data_path + "border.vec");
    target_marker = std::make_unique<tCible>(data_path + "cible.bmp", kTargetColour);
}

void TForm4::load_icon_strip(std::vector<QPixmap>& list, QSize tile, const std::string& file,
                             const std::string* stream) {
    const QImage strip =
        stream ? read_icon_strip(*stream)
               : read_bitmap_file(file, QSize(max_icon_strip_width, max_icon_strip_height))
                     .convertToFormat(QImage::Format_ARGB32);
    if (strip.isNull() || strip.width() < tile.width() || strip.height() < tile.height()) {
        show_message(47, false, stream ? std::string() : path_text(file));
        return;
    }
    // Whole tiles only: a partial tile at the right edge would be cut from beyond the strip.
    for (int i = 0; (i + 1) * tile.width() <= strip.width(); ++i) {
        QImage t = strip.copy(i * tile.width(), 0, tile.width(), tile.height());
        for (int y = 0; y < t.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(t.scanLine(y));
            for (int x = 0; x < t.width(); ++x)
                if ((row[x] & 0x00FFFFFF) == 0x00FFFFFF)
                    row[x] = 0x00FFFFFF;
        }
        list.push_back(QPixmap::fromImage(t));
    }
}

void TForm4::load_links(QAction* parent) {
    link_list = read_link_file(res_path + path_name(language) + "/link.txt");
    links_language_ = language;
    for (const rLink& link : link_list)
        add_link_item(link, parent);
}

void TForm4::reload_links() {
    site1->menu()->clear();
    load_links(site1);
    site1->setEnabled(!link_list.empty());
}

void TForm4::add_link_item(const rLink& link, QAction* parent) {
    QAction* item = parent->menu()->addAction(menu_caption(link.caption));
    connect(item, &QAction::triggered, this, [this, item] { lienClick(item); });
}

void TForm4::lienClick(QAction* sender) {
    const auto actions = site1->menu()->actions();
    const qsizetype at = actions.indexOf(sender);
    if (at < 0 || static_cast<size_t>(at) >= link_list.size())
        return;
    const rLink& link = link_list[static_cast<size_t>(at)];
    if (show_message(32, true, kProductTitle, link.address) == kAnswerYes)
        shell_open(link.address);
}

void TForm4::Sauver1Click() {
    if (!busy)
        save_additions(additions_file_path());
}

void TForm4::load_prefs() {
    TOutsideSettings outside;
    outside.zoom = zoom;
    std::string error;
    std::string path = app_path + pref_file_name;
    if (file_exists(path) && !read_preferences(path, rPreference, outside, &error))
        show_message(0, false, error);
    language = outside.language;
    db_name = outside.db_name;
    edit_db_name = outside.edit_db_name;
    But_Leg->setChecked(outside.legend_down);
    but_tips->setChecked(outside.tips_down);
    but_chemin->setChecked(outside.paths_down);
    side_panel = outside.side_panel;
    but_liste1->setChecked(side_panel);
    // The zoom is the size of a zone in pixels within the window's range 20..3500: a hand-edited
    // 0 would divide by zero in the screen-to-world conversion, a huge value overflow positions.
    // The view offset stays within the world's reach (zones lie within 2^26 units of its origin),
    // so moving the view never overflows.
    zoom = std::clamp(outside.zoom, 20, 3500);
    constexpr int32_t kOffsetLimit = 1 << 28;
    view_offset = QPoint(std::clamp(outside.view_x, -kOffsetLimit, kOffsetLimit),
                         std::clamp(outside.view_y, -kOffsetLimit, kOffsetLimit));
    window_rect = {outside.window_width, outside.window_height, outside.window_top,
                   outside.window_left};
    set_edit_mode(rPreference.EDIB);
}

void TForm4::save_prefs() {
    TOutsideSettings outside;
    outside.language = next_start_language.empty() ? language : next_start_language;
    outside.db_name = next_start_db_name.empty() ? db_name : next_start_db_name;
    outside.edit_db_name = edit_db_name;
    outside.legend_down = But_Leg->isChecked();
    outside.tips_down = but_tips->isChecked();
    outside.paths_down = but_chemin->isChecked();
    outside.side_panel = side_panel;
    outside.view_x = view_offset.x();
    outside.view_y = view_offset.y();
    outside.zoom = zoom;
    outside.window_width = window_rect.width;
    outside.window_height = window_rect.height;
    outside.window_top = window_rect.top;
    outside.window_left = window_rect.left;
    outside.current_continent = current_continent;
    outside.level_min_text = from_qstring(Edit_lvl_min->text());
    outside.level_max_text = from_qstring(Edit_lvl_max->text());
    if (!write_preferences(app_path + pref_file_name, rPreference, outside))
        show_message(22, false);
}

void TForm4::feedback(int id, int seconds, const std::string& a1, const std::string& a2) {
    feedback(id, seconds, a1, a2, 0);
}

void TForm4::feedback(int id, int seconds, const std::string& a1, const std::string& a2,
                      unsigned name_args) {
    Timerfeedback.start();
    feedback_lines.add_feedback(id, seconds, a1, a2, name_args);
    repaint_map();
}

void TForm4::TimerfeedbackTimer() {
    // The map is painted again only when lines went; the timer stops with the last one.
    const size_t shown = feedback_lines.lines().size();
    feedback_lines.age();
    if (feedback_lines.empty())
        Timerfeedback.stop();
    if (feedback_lines.lines().size() != shown)
        repaint_map();
}

void TForm4::clear_feedback() {
    feedback_lines.clear();
}

void TForm4::set_status(const std::string& text, int options) {
    status_panel1->setText(to_qstring(text));
    if (!(options & 0x10))
        StatusBar1->repaint();
}

void TForm4::show_progress() {
    G32_ProgressBar1->show_over(*ImageMap);
}

void TForm4::localise_menus() {
    auto localise = [](QMenu* menu) {
        for (QAction* a : menu->actions())
            if (tag_of(a) > 0)
                a->setText(to_qstring(get_menu_text(tag_of(a))));
    };
    if (tag_of(Affichage1->menuAction()) > 0)
        Affichage1->menuAction()->setText(
            to_qstring(get_menu_text(tag_of(Affichage1->menuAction()))));
    localise(Affichage1);
    for (QMenu* m : {Menu_image, Menu1, menu_info, Menu2})
        localise(m);
    translate_form(this);
    // The web links come from the language folder too: whoever chose another language (the
    // first-run dialog, the preferences, the fallback of the texts) gets its links.
    if (language != links_language_)
        reload_links();
}

void TForm4::but_toolMouseMove(QObject* sender) {
    std::string hint = get_hint_text(tag_of(sender));
    set_status(hint.empty() ? hint : hint.substr(1), 0x10);
}

void TForm4::but_infoClick() {
    if (!busy)
        show_about(false);
}

void TForm4::but_autoupClick() {
    if (busy || !confirm_save_additions(48))
        return;
    show_update();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (database_updated) {
        database_updated = false;
        // Kept additions keep the data loaded: the new files wait for the next start.
        if (!reload_database(3))
            show_message(14, false);
    }
}

void TForm4::but_editmodeClick() {
    if (busy)
        return;
    if (but_editmode->isChecked()) {
        show_firstinfo(0);
        if (edit_db_name.empty())
            but_editmode->setChecked(false);
    }
    if (but_editmode->isChecked())
        feedback(44, 60);
    rPreference.EDIB = but_editmode->isChecked();
    show_edit_items(rPreference.EDIB);
}

void TForm4::but_liste1Click() {
    PageControl->setCurrentWidget(TabSheet1);
    but_liste3->setChecked(false);
    but_liste4->setChecked(false);
    update_list_panel();
}

void TForm4::but_liste3Click() {
    PageControl->setCurrentWidget(TabSheet2);
    but_liste1->setChecked(false);
    but_liste4->setChecked(false);
    update_list_panel();
}

void TForm4::but_liste4Click() {
    PageControl->setCurrentWidget(TabSheet3);
    but_liste1->setChecked(false);
    but_liste3->setChecked(false);
    update_list_panel();
}

void TForm4::but_stayClick() {
    apply_stay_on_top();
}

bool TForm4::eventFilter(QObject* watched, QEvent* e) {
    if (hint_event(watched, e))
        return true;
    switch (e->type()) {
    case QEvent::HoverEnter:
        if (watched->property("status_hint").toBool())
            but_toolMouseMove(watched);
        break;
    case QEvent::MouseButtonRelease:
        if (watched == Image1) {
            Image1MouseUp();
            return true;
        }
        if (watched == ToolBar1 || watched == ToolBar3)
            ToolBar1MouseUp();
        break;
    case QEvent::MouseMove:
        if (watched == MyTree->viewport()) {
            const QPoint at = static_cast<QMouseEvent*>(e)->position().toPoint();
            MyTreeMouseMove(at.x(), at.y());
        }
        break;
    case QEvent::KeyPress:
        if (window_key(watched, static_cast<QKeyEvent*>(e)))
            return true;
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, e);
}
