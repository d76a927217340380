// The main window's map view: coordinates and zoom, the mouse, continents, showing tree nodes,
// painting and waypoints. The logic lives in map_view and map_paint.

#include "database/database_list.h"
#include "database/points_tree.h"
#include "foundation/control_tag.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/map_data.h"
#include "foundation/node_data.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/G32_ProgressBar.h"
#include "mainwindow/widgets/ImageMap.h"
#include "mainwindow/widgets/map.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QSlider>
#include <QToolButton>
#include <QTreeView>
#include <QWheelEvent>

namespace {

// The continent id of a node's owner record; -1 without one.
int32_t node_continent(const TreeNode* node) {
    if (!node->data)
        return -1;
    if (node->level == kLevelContinent)
        return node->data->owner_continent ? node->data->owner_continent->continent_id : -1;
    return node->data->owner_zone ? node->data->owner_zone->continent_id : -1;
}

} // namespace

// ---- Coordinates and zoom ----

TMapView TForm4::map_view() const {
    return {zoom, {view_offset.x(), view_offset.y()}, ImageMap->width(), ImageMap->height()};
}

TPoint TForm4::worldtoscreen(TPoint offset, TPoint world) const {
    return map_view().worldtoscreen(offset, world);
}

TPoint TForm4::screentoworld(TPoint screen) const {
    return map_view().screentoworld(screen);
}

TPoint TForm4::worldmaptoworld(TPoint zone_position, const pMap_info& zone) const {
    return ::worldmaptoworld(zone_position, zone);
}

TPoint TForm4::worldtozone(const pMap_info& zone, TPoint world) const {
    return ::worldtozone(zone, world);
}

TPoint TForm4::zone_center(const pMap_info& zone) const {
    return ::zone_center(zone);
}

pMap_info* TForm4::zone_at(TPoint world) const {
    return ::zone_at(continent_zones, world);
}

TPoint TForm4::view_center() const {
    return map_view().view_center();
}

void TForm4::center_on(TPoint world) {
    TMapView v = map_view();
    v.center_on(world);
    view_offset = QPoint(v.offset.x, v.offset.y);
}

bool TForm4::on_screen(TPoint p) const {
    return map_view().on_screen(p);
}

bool TForm4::inside_margin(TPoint p, int32_t m) const {
    return map_view().inside_margin(p, m);
}

bool TForm4::rect_visible(const TScreenRect& r) const {
    return map_view().rect_visible(r);
}

void TForm4::set_zoom(TPoint world, int32_t new_zoom) {
    TMapView v = map_view();
    v.set_zoom(world, new_zoom);
    zoom = v.zoom;
    view_offset = QPoint(v.offset.x, v.offset.y);
    update_visibility();
    // The tag keeps ZoomBarChange from applying the move made here.
    zoom_bar_tag = 1;
    ZoomBar->setValue(zoom);
    zoom_bar_tag = 0;
    repaint_map();
}

void TForm4::zoom_by(TPoint world, double factor) {
    const int32_t z = map_view().zoom_step(factor);
    if (z != zoom)
        set_zoom(world, z);
}

void TForm4::fit_rect(TPoint p1, TPoint p2, uint8_t flags) {
    TMapView v = map_view();
    v.fit_rect(p1, p2, flags);
    zoom = v.zoom;
    view_offset = QPoint(v.offset.x, v.offset.y);
}

void TForm4::zoom_to_zone(pMap_info* zone) {
    if (!zone)
        return;
    TMapView v = map_view();
    v.zoom_to_zone(*zone);
    zoom = v.zoom;
    view_offset = QPoint(v.offset.x, v.offset.y);
    update_visibility();
    repaint_map();
}

void TForm4::ZoomBarChange() {
    if (zoom_bar_tag == 0) {
        // Let the bar repaint, without taking further input in the middle of the change.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        set_zoom(screentoworld(view_center()), ZoomBar->value());
    }
    zoom_bar_tag = 0;
}

void TForm4::set_cursor_mode(uint8_t mode) {
    cursor_mode = mode;
    if (mode == 0)
        ImageMap->unsetCursor();
    else if (mode == 1)
        ImageMap->setCursor(Qt::SizeAllCursor);
}

void TForm4::set_resamplers() {
    if (!rPreference.LIAR)
        return;
    for (pMap_info* z : continent_zones)
        z->smooth = zoom >= kZoomLinear;
}

void TForm4::update_visibility() {
    set_resamplers();
    if (common_data)
        ::update_visibility(
            detail_levels(zoom, rPreference.LODA, rPreference.LODB, rPreference.LODC),
            zoom_filtering, common_data->categories, path_list);
}

// ---- The mouse ----

void TForm4::ImageMapMouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int X,
                               int Y) {
    ImageMap->setFocus();
    shift &= Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (busy || buttons != Qt::LeftButton)
        return;
    if (shift == Qt::NoModifier) {
        if (dragging)
            return;
        if (search_area_mode && Y > ImageMap->height() - 20) {
            end_search_area();
            return;
        }
        if (!feedback_lines.empty()) {
            clear_feedback();
            repaint_map();
        }
        if (map_click(X, Y, 2) || path_at(X, Y, 1))
            return;
        drag_start = {X, Y};
        dragging = true;
        ImageMap->setCursor(Qt::SizeAllCursor);
    } else if (shift == Qt::ControlModifier) {
        if (rRegion* region = region_at(mouse_zone, mouse_zone_pos))
            show_on_map(region->node, 0, 0, kShowMove | kShowFitZoom);
    } else if (shift == Qt::ShiftModifier) {
        if (!rPreference.EDIB)
            return;
        if (!waypoint_mode || !mouse_zone) {
            map_click(X, Y, 1);
            return;
        }
        const TPoint p = worldmaptoworld(mouse_zone_pos, *mouse_zone);
        if (!waypoints.empty()) {
            const rWaypoint& last = waypoints.back();
            const int32_t d = distance(p, worldmaptoworld({last.x, last.y}, *last.zone));
            if (d == -1 || d >= 32) {
                feedback(49, 4);
                return;
            }
        }
        waypoints.push_back({mouse_zone_pos.x, mouse_zone_pos.y, mouse_zone});
        update_wp_menu();
        repaint_map();
    }
}

void TForm4::ImageMapMouseMove(Qt::MouseButtons buttons, int X, int Y) {
    // A popup may have taken the left button's release: the drag ends with the button.
    if (dragging && !(buttons & Qt::LeftButton))
        ImageMapMouseUp();
    if (busy)
        return;
    ImageMap->setFocus();
    mouse_world = screentoworld({X, Y});
    if (dragging) {
        view_offset += QPoint(X - drag_start.x, Y - drag_start.y);
        drag_start = {X, Y};
        repaint_map();
        return;
    }
    mouse_zone = zone_at(mouse_world);
    if (mouse_zone) {
        mouse_zone_pos = worldtozone(*mouse_zone, mouse_world);
        if (!path_at(X, Y, 0))
            map_click(X, Y, 0);
        set_status("", 0x10);
        if (rRegion* region = region_at(mouse_zone, mouse_zone_pos);
            region && region->node && region->node->item())
            set_status(region->node->item()->name, 0x10);
    } else if (!first_activation) {
        set_status("", 0x10);
    }
}

void TForm4::ImageMapMouseUp() {
    dragging = false;
    ImageMap->unsetCursor();
}

void TForm4::ImageMapMouseWheelUp() {
    if (!busy)
        zoom_by(mouse_world, 1.1);
}

void TForm4::ImageMapMouseWheelDown() {
    if (!busy)
        zoom_by(mouse_world, 0.9);
}

void TForm4::ImageMapDblClick() {
    if (busy || !mouse_zone)
        return;
    zoom = kZoomDoubleClick;
    update_visibility();
    center_on(mouse_world);
    repaint_map();
}

// ---- Continents and the selection ----

void TForm4::show_on_map(TreeNode* node, int x, int y, uint8_t flags) {
    if (!node || !node->visible)
        return;
    const int32_t continent = node_continent(node);
    if (continent == -1)
        return;
    if (continent != current_continent) {
        current_continent = -1;
        unload_continent();
        current_continent = continent;
        load_continent();
    }
    if (node->level == kLevelZone) {
        pMap_info* zone = node->data->owner_zone;
        select_node(node);
        if (!(flags & kShowKeepView) && zone) {
            if (flags & kShowMove) {
                const TPoint world = worldmaptoworld({x, y}, *zone);
                if (!inside_margin(map_view().worldtoscreen(world), 20))
                    center_on(world);
                set_target_pos(zone, x, y);
            } else {
                center_on(zone_center(*zone));
            }
        }
    } else if (node->level == kLevelPoint) {
        points_tree.set_check_state(node, TCheckState::Checked);
        show_hint_text({});
        select_node(node);
        if (flags & kShowMove) {
            if (current_area.points.empty()) {
                const TPoint world = target_marker->world_position;
                if ((flags & kShowCentreAny) || !inside_margin(map_view().worldtoscreen(world), 50))
                    center_on(world);
            } else {
                fit_rect({current_area.min_x, current_area.min_y},
                         {current_area.max_x, current_area.max_y}, flags);
            }
        }
    }
    if (flags & kShowUnselect)
        select_node(nullptr);
    if (flags & kShowNoRepaint)
        return;
    update_visibility();
    repaint_map();
    MyTree->viewport()->update();
}

void TForm4::select_node(TreeNode* node) {
    current_zone = nullptr;
    TreeNode* n = node;
    for (TreeNode*& slot : selection_ancestors) {
        slot = n && n->level >= 0 ? n : nullptr;
        n = slot ? slot->parent : nullptr;
    }
    current_area = rwpitem{};
    target_marker->visible = false;
    target_marker->node = nullptr;
    target_marker->node_data = nullptr;
    clear_redirects();
    if (node) {
        current_zone = node_zone(node);
        if (node->level == kLevelPoint) {
            parse_redirects(node, true);
            set_target_node(node, node->data.get());
            build_area(node->data.get(), current_area);
            target_marker->visible = true;
        }
    }
    update_path_colors();
}

void TForm4::set_target_node(TreeNode* node, TNodeData* data) {
    const pMap_info* zone = node_zone(node);
    const rItemdata* item = node ? node->item() : nullptr;
    if (zone && item)
        target_marker->world_position = worldmaptoworld({item->x, item->y}, *zone);
    target_marker->node = node;
    target_marker->node_data = data;
}

void TForm4::set_target_pos(pMap_info* zone, int32_t x, int32_t y) {
    target_marker->world_position = worldmaptoworld({x, y}, *zone);
    target_marker->node = nullptr;
    target_marker->node_data = nullptr;
    target_marker->visible = true;
}

void TForm4::update_path_colors() {
    for (rwpitem& path : path_list) {
        if (path.node && path.node == target_marker->node)
            path.first_colour = kTargetPathColour;
        else if (path.item)
            path.first_colour = color_to_color32(
                path.item->colour, path.item->command ? path.item->command->colour_a : 0);
    }
}

void TForm4::load_continent() {
    if (current_continent == -1 || !map_data)
        return;
    for (QAction* a : region1->menu()->actions()) {
        const size_t index = size_t(-tag_of(a));
        a->setChecked(index < map_data->continents.size() &&
                      map_data->continents[index]->continent_id == current_continent);
    }
    set_status(get_text(179));
    continent_node = nullptr;
    continent_record = nullptr;
    cursor_mode = 0;
    mouse_zone = nullptr;
    bool all_found = true;
    show_progress();
    for (const auto& z : map_data->zones) {
        if (z->continent_id != current_continent)
            continue;
        continent_zones.push_back(z.get());
        if (z->tree_node && z->tree_node->parent) {
            continent_node = z->tree_node->parent;
            continent_record =
                continent_node->data ? continent_node->data->owner_continent : nullptr;
        }
    }
    G32_ProgressBar1->setMax(int(continent_zones.size()));
    size_t outline_budget = kContinentOutlineLimit;
    TImageBudget image_budget;
    high_images_short_told_ = false;
    for (size_t i = 0; i < continent_zones.size(); ++i) {
        pMap_info* z = continent_zones[i];
        z->high_image = QImage();
        z->high_missing = z->high_deferred = false;
        // A zone that needs no image is not reported missing.
        if (!::load_zone_image(maps_path + path_name(z->image_name), z->normal_image,
                               kMaxZoneImageSide, &image_budget) &&
            !z->no_image)
            all_found = false;
        z->outline = read_outline(maps_path + path_name(z->image_name) + ".vec", &outline_budget);
        G32_ProgressBar1->setPosition(int(i) + 1);
    }
    build_paths();
    build_links();
    update_visibility();
    G32_ProgressBar1->hide();
    if (image_budget.ran_short)
        log_outside_limit(path_text(maps_path) + " (the images of " +
                              (continent_record ? continent_record->name : std::string()) + ")",
                          size_text(kZoneImageBudget), false);
    if (!all_found)
        show_message(52, false);
    if (take_outside_limits() > 0)
        feedback(83, 8);
    set_status("", 0x10);
}

void TForm4::unload_continent() {
    cursor_mode = 0;
    mouse_zone = nullptr;
    current_continent = -1;
    overview_lines.clear();
    comment_lines.clear();
    waypoint1->setChecked(false);
    erase_listWP();
    for (pMap_info* z : continent_zones) {
        z->normal_image = QImage();
        z->high_image = QImage();
        z->high_missing = z->high_deferred = false;
        z->outline.reset();
    }
    continent_zones.clear();
    continent_node = nullptr;
    continent_record = nullptr;
    clear_paths();
}

void TForm4::clear_paths() {
    path_list.clear();
}

void TForm4::clear_continent_menu() {
    for (QAction* a : region1->menu()->actions())
        delete a;
}

void TForm4::add_continent_menu(rContinent* record, int index) {
    if (!record->in_menu)
        return;
    QMenu* menu = region1->menu();
    auto* group = menu->findChild<QActionGroup*>();
    if (!group)
        group = new QActionGroup(menu);
    QAction* item = menu->addAction(menu_caption(record->name));
    item->setCheckable(true);
    item->setActionGroup(group);
    set_tag(item, -index);
    connect(item, &QAction::triggered, this, [this, item] { regionClick(item); });
}

void TForm4::regionClick(QAction* sender) {
    const size_t index = size_t(-tag_of(sender));
    if (!map_data || index >= map_data->continents.size())
        return;
    show_on_map(zone_node(map_data->continents[index]->whole_zone_id), 0, 0, 0);
}

// ---- Painting ----

void TForm4::create_map_layer() {
    ImageMap->on_paint = [this](QImage& buffer) { paint_map(buffer); };
    splash = read_bitmap_file(data_path + "vev.bmp", max_splash_size);

    waypoint1 = menu_item(Menu_image, "waypoint1");
    wpdefaire1 = menu_item(Menu_image, "wpdefaire1");
    region1 = menu_item(Menu_image, "region1");
    waypoint1->setCheckable(true);
    wpdefaire1->setEnabled(false);
    // The item is already toggled when its click arrives.
    connect(waypoint1, &QAction::triggered, this, [this] { erase_listWP(); });
    connect(wpdefaire1, &QAction::triggered, this, [this] { wpdefaire1Click(); });

    connect(ImageMap, &TImageMap::mouseDown, this, [this](QMouseEvent* e) {
        ImageMapMouseDown(e->buttons(), e->modifiers(), int(e->position().x()),
                          int(e->position().y()));
    });
    connect(ImageMap, &TImageMap::mouseMove, this, [this](QMouseEvent* e) {
        ImageMapMouseMove(e->buttons(), int(e->position().x()), int(e->position().y()));
    });
    connect(ImageMap, &TImageMap::mouseUp, this, [this](QMouseEvent*) { ImageMapMouseUp(); });
    connect(ImageMap, &TImageMap::doubleClicked, this,
            [this](QMouseEvent*) { ImageMapDblClick(); });
    connect(ImageMap, &TImageMap::wheel, this, [this](QWheelEvent* e) {
        // One step per notch; finer wheels add up to notches.
        wheel_delta_ += e->angleDelta().y();
        for (; wheel_delta_ >= 120; wheel_delta_ -= 120)
            ImageMapMouseWheelUp();
        for (; wheel_delta_ <= -120; wheel_delta_ += 120)
            ImageMapMouseWheelDown();
    });
    ImageMap->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ImageMap, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        // The menu takes the mouse, and with it the release that would end a drag.
        ImageMapMouseUp();
        if (busy)
            return;
        Menu_imagePopup();
        Menu_image->popup(ImageMap->mapToGlobal(at));
    });
    connect(ZoomBar, &QSlider::valueChanged, this, [this] { ZoomBarChange(); });
}

void TForm4::paint_map(QImage& buffer) {
    TMapScene s;
    s.view = map_view();
    s.view.width = buffer.width();
    s.view.height = buffer.height();
    s.quitting = quit_flag;
    s.show_continent = current_continent != -1 && !first_activation;
    s.splash = &splash;
    s.zones = &continent_zones;
    s.border = &border_vectors;
    s.mahd = rPreference.MAHD;
    s.high_image_budget = high_image_budget;
    s.lodv = rPreference.LODV;
    s.zone_outlines = rPreference.AVCT;
    s.current_zone_outline = rPreference.MCUR;
    s.labels = But_Leg->isChecked();
    s.dimmed = but_stitre->isChecked();
    s.paths_shown = but_chemin->isChecked();
    s.overview_shown = but_overview->isChecked();
    s.tips_shown = but_tips->isChecked();
    s.markers_shown = markers_shown;
    s.waypoint_mode = waypoint_mode;
    s.waypoints = &waypoints;
    s.current_area = &current_area;
    s.target = target_marker.get();
    s.current_zone = current_zone;
    s.paths = &path_list;
    s.overview_lines = &overview_lines;
    s.comment_lines = &comment_lines;
    s.tips = &tips;
    s.tips_width = tips_width;
    s.tips_line_height = tips_height;
    s.feedback = &feedback_lines;
    s.search_area_mode = search_area_mode;
    s.search_bar_text = search_bar_text;
    s.load_high_image = [this](pMap_info& z, TImageBudget& room) {
        return load_zone_image(maps_path + "high/" + path_name(z.image_name), z.high_image, room);
    };
    ::paint_map(buffer, s, marker_hits);
}

bool TForm4::load_zone_image(const std::string& path, QImage& bitmap, TImageBudget& room) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool loaded = ::load_zone_image(path, bitmap, kMaxHighImageSide, &room);
    QApplication::restoreOverrideCursor();
    // What a paint refused is told once it is over, in one line whatever the count.
    high_images_past_limits_ = high_images_past_limits_ || take_outside_limits() > 0;
    high_images_short_ = high_images_short_ || room.ran_short;
    if ((high_images_past_limits_ || high_images_short_) && !high_images_tell_pending_) {
        high_images_tell_pending_ = true;
        QTimer::singleShot(0, this, [this] { tell_refused_high_images(); });
    }
    return loaded;
}

void TForm4::tell_refused_high_images() {
    high_images_tell_pending_ = false;
    if (std::exchange(high_images_past_limits_, false))
        feedback(83, 8);
    // Images that found no room are told once for the continent shown.
    if (std::exchange(high_images_short_, false) && !high_images_short_told_) {
        high_images_short_told_ = true;
        append_error_log(path_text(maps_path) + "high/ (the high-detail images on screen of " +
                         (continent_record ? continent_record->name : std::string()) +
                         "): larger than its limit (" + size_text(high_image_budget) +
                         "); some are not loaded, their zone images are drawn instead.");
        feedback(52, 8);
    }
}

// ---- Waypoints ----

void TForm4::waypoint1Click() {
    waypoint1->setChecked(!waypoint1->isChecked());
    erase_listWP();
}

void TForm4::erase_listWP() {
    waypoints.clear();
    repaint_map();
    update_wp_menu();
    waypoint_mode = waypoint1->isChecked();
}

void TForm4::wpdefaire1Click() {
    if (!waypoints.empty())
        waypoints.pop_back();
    repaint_map();
    update_wp_menu();
}

void TForm4::update_wp_menu() {
    wpdefaire1->setEnabled(waypoints.size() >= 2);
    waypoint1->setText(
        to_qstring(get_menu_text(57) + " [" + std::to_string(waypoints.size()) + "]"));
}
