#pragma once
// Painting of the map view into a 32-bit buffer (QImage ARGB32_Premultiplied), in a fixed order:
// zone tiles and outlines, dimming, the selected area, the target marker, paths, link lines,
// point markers with icons and labels, the target label, waypoints, the current-zone outline and
// the text panels. A blended drawing mixes its colour into the buffer by alpha; an opaque drawing
// replaces the pixels, alpha included (the control shows the buffer without its alpha).

#include "mainwindow/map_view.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class FeedbackLines;
class QPainter;
class tCible;
struct TreeNode;

// One marker painted: where and which node; picking takes the last entry that matches.
struct rMarkerHit {
    int16_t x = 0;
    int16_t y = 0;
    TreeNode* node = nullptr;
};
using TMarkerHits = std::vector<rMarkerHit>;

// A link line in world units.
struct rMapLine {
    int32_t x1 = 0;
    int32_t y1 = 0;
    int32_t x2 = 0;
    int32_t y2 = 0;
    TColor32 colour = 0;
};

// A waypoint: a zone position in its zone.
struct rWaypoint {
    int32_t x = 0;
    int32_t y = 0;
    pMap_info* zone = nullptr;
};

// Colours of the map.
constexpr TColor32 kOutlineColour = 0xCCFFFFFF;        // a zone's own outline
constexpr TColor32 kWaypointBorderColour = 0x33FFFFFF; // tile borders in waypoint mode
constexpr TColor32 kCurrentZoneColour = 0x55FFFF00;    // outline of the current zone
constexpr TColor32 kDimColour = 0x66000000;            // dimming of the whole map
constexpr TColor32 kTargetLabelColour = 0xBBFFFFAA;    // box, frame and tie of the target label
constexpr TColor32 kWaypointColour = 0xFFFFFF00;       // the waypoint line
constexpr TColor32 kTipsColour = 0x55000000;           // box of the tips panel
constexpr TColor32 kSearchBarColour = 0x990000CC;      // bar of the search-area mode
constexpr TColor32 kTargetPathColour = 0xFFFFFFAA;     // path of the target point

// Zone images are drawn at most [MAHD] (up to 1024) pixels wide, high-detail ones at most at
// the highest zoom (3500): larger images, and larger files, are not loaded.
constexpr int kMaxZoneImageSide = 1024;
constexpr int kMaxHighImageSide = 4096;
constexpr size_t kMaxZoneImageFile = size_t(16) << 20;
// The zone images of the continent shown: the files read at its load and the pixels kept.
constexpr size_t kZoneImageBudget = size_t(192) << 20;
// The high-detail images held, which are those of the zones on screen: 16 of the largest, as
// many zones as a full-HD window's map (about 1600 x 950 pixels) shows above the lowest
// threshold ([MAHD] 512), and the file of the one being read.
constexpr size_t kHighImageBudget =
    size_t(16) * kMaxHighImageSide * kMaxHighImageSide * 4 + kMaxZoneImageFile;

// What zone images may still take, in bytes, and whether an image found no room in it.
struct TImageBudget {
    size_t bytes = kZoneImageBudget;
    bool ran_short = false;
};

// The bytes of the pixels the zones' images hold, normal and high-detail.
size_t zone_image_bytes(const std::vector<pMap_info*>& zones);

// What one paint reads, and the little it writes back: the zones' on-screen flags and
// high-detail images, the paths' drawn flags and the target's label position.
struct TMapScene {
    TMapView view;
    bool quitting = false;
    // A continent is loaded and the first activation is over; otherwise the splash is shown.
    bool show_continent = false;
    const QImage* splash = nullptr;
    const std::vector<pMap_info*>* zones = nullptr;
    const TOutline* border = nullptr; // the border outline
    int32_t mahd = 600;               // zoom above which high-detail images are drawn
    size_t high_image_budget = kHighImageBudget;
    int32_t lodv = 500;                // zoom above which zone outlines are drawn
    bool zone_outlines = false;        // [AVCT]
    bool current_zone_outline = false; // [MCUR]
    bool labels = true;                // But_Leg
    bool dimmed = false;               // but_stitre
    bool paths_shown = true;           // but_chemin
    bool overview_shown = false;       // but_overview
    bool tips_shown = false;           // but_tips
    bool markers_shown = true;
    bool waypoint_mode = false;
    const std::vector<rWaypoint>* waypoints = nullptr;
    const rwpitem* current_area = nullptr;
    tCible* target = nullptr;
    const pMap_info* current_zone = nullptr;
    std::vector<rwpitem>* paths = nullptr;
    const std::vector<rMapLine>* overview_lines = nullptr;
    const std::vector<rMapLine>* comment_lines = nullptr;
    const std::vector<std::string>* tips = nullptr;
    int32_t tips_width = 0;
    int32_t tips_line_height = 0;
    const FeedbackLines* feedback = nullptr;
    bool search_area_mode = false;
    std::string search_bar_text;
    // Loads a zone's high-detail image into zone.high_image within the room the high-detail
    // images on screen leave; false when there is none or it does not fit (room.ran_short).
    std::function<bool(pMap_info& zone, TImageBudget& room)> load_high_image;
};

// The buffer being painted, with a painter for lines, images and panel texts and direct access
// to the pixels for markers and labels.
struct TMapCanvas {
    explicit TMapCanvas(QImage& buffer);
    ~TMapCanvas();
    TMapCanvas(const TMapCanvas&) = delete;
    TMapCanvas& operator=(const TMapCanvas&) = delete;

    QImage& buffer;
    uint32_t* bits = nullptr;
    int32_t stride = 0; // pixels per row
    int32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<QPainter> painter;
};

// Loads path + ".jpg", else path + ".bmp", as an opaque 32-bit bitmap (Format_RGB32) of at most
// side x side pixels and kMaxZoneImageFile bytes; with a budget, the file read and the pixels
// kept are taken from it. False (bitmap emptied) when neither file exists, or when the file is
// damaged, of another kind or past its limits (error.log names it), or does not fit in the
// budget (budget->ran_short; nothing logged).
bool load_zone_image(const std::string& path, QImage& bitmap, int side = kMaxZoneImageSide,
                     TImageBudget* budget = nullptr);

// The whole paint; the hit list is rebuilt.
void paint_map(QImage& buffer, TMapScene& scene, TMarkerHits& hits);

// The painting steps, each drawing into the canvas.
void paint_tiles(TMapCanvas& c, TMapScene& s);
void paint_vec(TMapCanvas& c, const TOutline& outline, float x, float y, int32_t zoom,
               TColor32 colour);
void paint_area(TMapCanvas& c, const TMapScene& s);
void paint_target(TMapCanvas& c, TMapScene& s, TMarkerHits& hits);
void paint_paths(TMapCanvas& c, TMapScene& s);
void paint_lines(TMapCanvas& c, const TMapView& view, const std::vector<rMapLine>& lines);
void paint_markers(TMapCanvas& c, const TMapScene& s, TMarkerHits& hits);
void paint_target_label(TMapCanvas& c, const TMapScene& s);
void paint_waypoints(TMapCanvas& c, const TMapScene& s);
void paint_tips(TMapCanvas& c, const TMapScene& s);
void paint_search_bar(TMapCanvas& c, const TMapScene& s);

// Adds a marker to the hit list when it lies on screen; false when it does not.
bool register_marker(const TMapView& view, TPoint p, TreeNode* node, TMarkerHits& hits);

// Screen position of a zone position inside a tile whose origin is (sx, sy).
TPoint tile_position(int32_t x, int32_t y, int32_t zoom, TPoint tile_origin);

// ARGB of an interface colour 0x00BBGGRR, opaque.
constexpr TColor32 opaque_color32(TColor colour) {
    const auto c = static_cast<uint32_t>(colour);
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
