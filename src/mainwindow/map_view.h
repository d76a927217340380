#pragma once
// The map's coordinate systems and view state. A zone position runs 0..65535 across one zone; a
// world position places it in the continent's plane through the zone's origin; a screen position
// is a pixel of the map control. Every real-to-integer conversion rounds halves to even.

#include "foundation/func_type.h"

#include <cstdint>
#include <vector>

constexpr int32_t kZoomMin = 20;
constexpr int32_t kZoomMax = 3500;
// Zoom of a double click on the map.
constexpr int32_t kZoomDoubleClick = 1024;
// From this zoom on, zone images are smoothed (when the preference allows it).
constexpr int32_t kZoomLinear = 1001;

// Flags of fit_rect and show_on_map.
constexpr uint8_t kShowKeepView = 1;   // zone node: the view does not move
constexpr uint8_t kShowMove = 2;       // move the view to the target
constexpr uint8_t kShowFitZoom = 4;    // an area always takes the fitting zoom
constexpr uint8_t kShowCentreAny = 8;  // a point is centred even when well inside the view
constexpr uint8_t kShowNoRepaint = 16; // no visibility update and no repaint
constexpr uint8_t kShowUnselect = 32;  // the selection is cleared afterwards

// A rectangle of screen pixels; right and bottom are edges, not counted pixels.
struct TScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The zoom (pixels per zone), the screen position of world (0, 0) and the size of the control.
struct TMapView {
    int32_t zoom = 100;
    TPoint offset;
    int32_t width = 0;
    int32_t height = 0;

    // Round(world / 65535 * zoom + offset) per axis (65535, not 65536).
    TPoint worldtoscreen(TPoint offset, TPoint world) const;
    TPoint worldtoscreen(TPoint world) const { return worldtoscreen(offset, world); }
    // Round((screen - offset) * 65535 / zoom) per axis, kept within the i32 range.
    TPoint screentoworld(TPoint screen) const;

    TPoint view_center() const { return {width / 2, height / 2}; }
    void center_on(TPoint world);
    // Strictly inside the control.
    bool on_screen(TPoint p) const { return inside_margin(p, 0); }
    bool inside_margin(TPoint p, int32_t m) const;
    // Touches the control; edges count.
    bool rect_visible(const TScreenRect& r) const;

    // Changes the zoom keeping the world point at its screen position.
    void set_zoom(TPoint world, int32_t new_zoom);
    // Round(zoom * factor) raised to 20 and lowered to 3500.
    int32_t zoom_step(double factor) const;
    // Fits the world rectangle p1 (minimum corner) - p2 and centres on it. A zero-size side sets
    // no limit, so a point keeps the zoom.
    void fit_rect(TPoint p1, TPoint p2, uint8_t flags);
    // The zone fills the smaller side of the control, centred (no clamping to 20..3500).
    void zoom_to_zone(const pMap_info& zone);
};

// World origin of a zone (its stored y is negated).
inline TPoint zone_origin(const pMap_info& zone) {
    return {zone.origin_x, -zone.origin_y};
}
TPoint worldmaptoworld(TPoint zone_position, const pMap_info& zone);
TPoint worldtozone(const pMap_info& zone, TPoint world);
TPoint zone_center(const pMap_info& zone);
// The first zone of the list whose interior (bounds excluded) holds the world position.
pMap_info* zone_at(const std::vector<pMap_info*>& zones, TPoint world);

// Which detail levels (1..3) are shown and labelled at a zoom, given the three thresholds.
struct TDetailLevels {
    bool shown[3] = {};
    bool label[3] = {};
};
TDetailLevels detail_levels(int32_t zoom, int32_t loda, int32_t lodb, int32_t lodc);

// Sets the categories' visible-on-map, visible-at-zoom and label-at-zoom flags and the paths'
// visible flags for the zoom. Without zoom filtering every category is visible on the map.
void update_visibility(const TDetailLevels& levels, bool zoom_filtering,
                       const std::vector<std::unique_ptr<rCateg>>& categories,
                       std::vector<rwpitem>& paths);
