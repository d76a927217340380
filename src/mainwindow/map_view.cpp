#include "mainwindow/map_view.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t round_to_i32(double v) {
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    if (!(v >= lo)) // also NaN
        return std::numeric_limits<int32_t>::min();
    if (v > hi)
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::nearbyint(v));
}

int32_t to_screen(int32_t world, int32_t zoom, int32_t offset) {
    return round_to_i32(world / 65535.0 * zoom + offset);
}

int32_t to_world(int32_t screen, int32_t offset, int32_t zoom) {
    // A zoom below 1 never comes from the view's own rules; keep the division defined.
    const int64_t product = (static_cast<int64_t>(screen) - offset) * 65535;
    return round_to_i32(static_cast<double>(product) / std::max(zoom, 1));
}

} // namespace

TPoint TMapView::worldtoscreen(TPoint at_offset, TPoint world) const {
    return {to_screen(world.x, zoom, at_offset.x), to_screen(world.y, zoom, at_offset.y)};
}

TPoint TMapView::screentoworld(TPoint screen) const {
    return {to_world(screen.x, offset.x, zoom), to_world(screen.y, offset.y, zoom)};
}

void TMapView::center_on(TPoint world) {
    const TPoint c = view_center();
    const TPoint s = worldtoscreen(world);
    offset.x += c.x - s.x;
    offset.y += c.y - s.y;
}

bool TMapView::inside_margin(TPoint p, int32_t m) const {
    return m < p.x && p.x < width - m && m < p.y && p.y < height - m;
}

bool TMapView::rect_visible(const TScreenRect& r) const {
    return r.left <= width && r.right >= 0 && r.top <= height && r.bottom >= 0;
}

void TMapView::set_zoom(TPoint world, int32_t new_zoom) {
    const TPoint s1 = worldtoscreen(world);
    zoom = new_zoom;
    const TPoint s2 = worldtoscreen(world);
    offset.x += s1.x - s2.x;
    offset.y += s1.y - s2.y;
}

int32_t TMapView::zoom_step(double factor) const {
    return std::clamp(round_to_i32(zoom * factor), kZoomMin, kZoomMax);
}

void TMapView::fit_rect(TPoint p1, TPoint p2, uint8_t flags) {
    // An area's corners may lie anywhere in the i32 plane: its sides are measured in 64 bits.
    const int64_t dx = int64_t(p2.x) - p1.x;
    const int64_t dy = int64_t(p2.y) - p1.y;
    // A side of zero size (or less) gives no limit on its axis.
    auto fit = [](int32_t room, int64_t span) {
        return span > 0 ? round_to_i32((room - 20) / (span / 65535.0))
                        : std::numeric_limits<int32_t>::max();
    };
    const int32_t fitting = std::min(fit(width, dx), fit(height, dy));
    const bool fits = zoom <= fit(width, dx) && zoom <= fit(height, dy);
    if (fitting != std::numeric_limits<int32_t>::max() && ((flags & kShowFitZoom) || !fits))
        zoom = fitting;
    // No lower bound, but a zoom below 1 pixel per zone would leave nothing to show or divide by.
    zoom = std::clamp(zoom, 1, kZoomMax);
    center_on({int32_t(p1.x + dx / 2), int32_t(p1.y + dy / 2)});
}

void TMapView::zoom_to_zone(const pMap_info& zone) {
    zoom = std::max(1, std::min(width, height));
    center_on(zone_center(zone));
}

TPoint worldmaptoworld(TPoint zone_position, const pMap_info& zone) {
    return {zone.origin_x + zone_position.x, zone_position.y - zone.origin_y};
}

TPoint worldtozone(const pMap_info& zone, TPoint world) {
    return {world.x - zone.origin_x, world.y + zone.origin_y};
}

TPoint zone_center(const pMap_info& zone) {
    return {zone.origin_x + 32767, 32767 - zone.origin_y};
}

pMap_info* zone_at(const std::vector<pMap_info*>& zones, TPoint world) {
    for (pMap_info* z : zones) {
        const TPoint o = zone_origin(*z);
        const int64_t x = world.x;
        const int64_t y = world.y;
        if (o.x < x && x < int64_t(o.x) + 65536 && o.y < y && y < int64_t(o.y) + 65536)
            return z;
    }
    return nullptr;
}

TDetailLevels detail_levels(int32_t zoom, int32_t loda, int32_t lodb, int32_t lodc) {
    // The first row whose threshold the zoom is below decides.
    TDetailLevels d;
    d.shown[0] = d.label[0] = true;
    if (zoom < loda)
        return d;
    d.shown[1] = true;
    if (zoom < lodb)
        return d;
    d.label[1] = true;
    if (zoom < lodc)
        return d;
    d.shown[2] = d.label[2] = true;
    return d;
}

void update_visibility(const TDetailLevels& levels, bool zoom_filtering,
                       const std::vector<std::unique_ptr<rCateg>>& categories,
                       std::vector<rwpitem>& paths) {
    for (const auto& c : categories) {
        const int level = std::clamp<int>(c->detail_level, 1, 3) - 1;
        c->visible_at_zoom = levels.shown[level];
        c->label_at_zoom = levels.label[level];
        c->visible_on_map = zoom_filtering ? levels.shown[level] : true;
    }
    for (rwpitem& path : paths) {
        const bool always = path.item && path.item->command && path.item->command->value == 1;
        path.visible = (path.category && path.category->visible_at_zoom) || always;
    }
}
