#include "database/paths.h"
#include "database/points_tree.h"
#include "foundation/binary_io.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "mainwindow/cible.h"
#include "mainwindow/map_paint.h"
#include "support/jpeg_writer.h"
#include "support/points_fixture.h"
#include "support/points_writer.h"
#include "support/saved_globals.h"
#include "support/section_writer.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace support;

namespace {

constexpr QRgb kGround = 0xFF808080;
constexpr QRgb kIconCorner = 0xFF0000FF;
constexpr QRgb kIconCentre = 0xFF00FF00;

// A colour blended over a premultiplied pixel as the painter blends it.
QRgb over(QRgb colour, QRgb under) {
    QImage one(1, 1, QImage::Format_ARGB32_Premultiplied);
    one.fill(under);
    QPainter(&one).fillRect(0, 0, 1, 1, QColor::fromRgba(colour));
    return *reinterpret_cast<const QRgb*>(one.constBits());
}

QRgb raw(const QImage& image, int x, int y) {
    return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
}

// A converted polyline stream: each polyline a list of x, y, in fractions of a zone once scaled.
std::string polylines(const std::vector<std::vector<float>>& lines, float scale = 1) {
    ByteWriter w;
    for (const auto& line : lines) {
        w.u16(uint16_t(line.size() / 2));
        for (float v : line)
            w.f32(v * scale);
    }
    return w.data();
}

// An outline across a zone at height y.
TOutline across(float y) {
    return outline_of(polylines({{0.125f, y, 0.875f, y}}));
}

// One zone of 200 pixels at the top-left of a 300 x 300 view; categories 1 (red, shown at every
// zoom), 2 (blue, detail level 2) and 3 (black).
class MapPaint : public ::testing::Test {
protected:
    PointsFixture f{{{1, 0, 1, "Sylvanie"}},
                    {{.name = "Val", .image_name = "val", .zone_id = 1, .continent_id = 1}},
                    {{.name = "Red", .id = 1, .type = 2, .colour = 0x0000FF},
                     {.name = "Blue", .id = 2, .type = 2, .colour = 0xFF0000, .detail_level = 2},
                     {.name = "Black", .id = 3, .type = 2, .colour = 0}}};
    std::vector<pMap_info*> zones{f.map_data->zones[0].get()};
    TMapScene scene;
    QImage buffer{300, 300, QImage::Format_ARGB32_Premultiplied};
    TMarkerHits hits;

    void SetUp() override {
        QImage icon(11, 11, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        icon.setPixel(0, 0, kIconCorner);
        icon.setPixel(5, 5, kIconCentre);
        for (const auto& c : f.common_data->categories)
            c->icon = icon;
        zones[0]->normal_image = QImage(256, 256, QImage::Format_RGB32);
        zones[0]->normal_image.fill(kGround);
        scene.view = {200, {0, 0}, 300, 300};
        scene.show_continent = true;
        scene.zones = &zones;
        visibility();
    }
    void visibility() {
        std::vector<rwpitem> none;
        update_visibility(detail_levels(scene.view.zoom, 200, 400, 600), true,
                          f.common_data->categories, none);
    }
    TreeNode* add(int category, int x, int y, const std::string& name = "Marker") {
        return f.add(PointsFixture::point(name, 1, category, x, y));
    }
    QRgb at(int x, int y) const { return buffer.pixel(x, y); }
    QRgb raw(int x, int y) const { return ::raw(buffer, x, y); }
    // A pixel's world units at the view's zoom, the view at the world's origin.
    int32_t world(int pixel) const {
        return int32_t(std::nearbyint(pixel * 65535.0 / scene.view.zoom));
    }
    tCible target{"missing.bmp", 0};
    void select(TreeNode* node) {
        target.bitmap = QImage(21, 21, QImage::Format_ARGB32);
        target.bitmap.fill(0x80FF00FF);
        target.node = node;
        target.world_position = worldmaptoworld({node->item()->x, node->item()->y}, *zones[0]);
        target.visible = true;
        scene.target = &target;
    }
    void paint() {
        buffer.fill(0xFF000000);
        paint_map(buffer, scene, hits);
    }
    // Pixels of the colour inside the rectangle.
    int count(const QRect& r, QRgb colour) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += buffer.pixel(x, y) == colour;
        return n;
    }
};

} // namespace

TEST_F(MapPaint, DetailLevelsAppearWithTheZoom) {
    add(2, 32768, 32768);
    for (int zoom : {199, 200}) {
        scene.view.zoom = zoom;
        visibility();
        paint();
        ASSERT_EQ(hits.size(), zoom == 200 ? 1u : 0u);
    }
    EXPECT_EQ(at(104, 100), kGround); // shown without its label
    EXPECT_EQ(at(98, 98), 0xFF0000FFu);
}

TEST_F(MapPaint, SplashOnlyUntilAContinentIsShown) {
    QImage splash(20, 10, QImage::Format_RGB32);
    splash.fill(0xFF123456);
    scene.splash = &splash;
    scene.show_continent = false;
    add(1, 32768, 32768);
    paint();
    EXPECT_EQ(std::tuple(at(150, 150), at(140, 145), at(139, 150), at(98, 98)),
              std::tuple(0xFF123456u, 0xFF123456u, 0xFF000000u, 0xFF000000u));
    EXPECT_TRUE(hits.empty());
    scene.quitting = true;
    paint();
    EXPECT_EQ(at(150, 150), 0xFF000000u);
}

TEST_F(MapPaint, HighDetailImagesComeAboveTheThresholdAndGoBelowIt) {
    int loads = 0;
    scene.load_high_image = [&](pMap_info& z, TImageBudget&) {
        ++loads;
        z.high_image = QImage(64, 64, QImage::Format_RGB32);
        z.high_image.fill(0xFF204060);
        return true;
    };
    scene.view.zoom = scene.mahd;
    paint();
    EXPECT_EQ(std::tuple(loads, at(150, 150)), std::tuple(0, kGround));
    scene.view.zoom = scene.mahd + 1;
    paint();
    paint();
    EXPECT_EQ(std::tuple(loads, at(150, 150)), std::tuple(1, 0xFF204060u));
    scene.view.zoom = scene.mahd;
    paint();
    EXPECT_TRUE(zones[0]->high_image.isNull());
    // A zone without a high-detail file is not looked for again.
    scene.load_high_image = [&](pMap_info&, TImageBudget&) {
        ++loads;
        return false;
    };
    scene.view.zoom = scene.mahd + 1;
    paint();
    paint();
    EXPECT_EQ(std::tuple(loads, at(150, 150)), std::tuple(2, kGround));
    // One offered only what the high-detail images held leave of the budget, and finding no room
    // in it, is looked for again once it has been off screen or below the threshold.
    zones[0]->high_missing = false;
    scene.high_image_budget = 100;
    std::vector<size_t> offered;
    scene.load_high_image = [&](pMap_info&, TImageBudget& room) {
        offered.push_back(room.bytes);
        room.ran_short = true;
        return false;
    };
    for (int32_t zoom : {scene.mahd + 1, scene.mahd + 1, scene.mahd, scene.mahd + 1}) {
        scene.view.zoom = zoom;
        paint();
    }
    EXPECT_EQ(offered, (std::vector<size_t>{100, 100}));
}

// The high-detail images of the zones that leave the screen make room for those on it, whatever
// the order of the zones, and for one that found none before.
TEST(HighDetailImages, ThoseLeavingTheScreenMakeRoomForThoseComingOnIt) {
    pMap_info west, east;
    east.origin_x = 65536;
    std::vector<pMap_info*> zones{&west, &east};
    TMapScene scene;
    scene.show_continent = true;
    scene.zones = &zones;
    scene.high_image_budget = 64 * 64 * 4;
    scene.load_high_image = [&](pMap_info& z, TImageBudget& room) {
        room.ran_short = room.bytes < scene.high_image_budget;
        if (room.ran_short)
            return false;
        z.high_image = QImage(64, 64, QImage::Format_RGB32);
        z.high_image.fill(&z == &west ? 0xFF00AA00 : 0xFF0000AA);
        return true;
    };
    QImage buffer(300, 300, QImage::Format_ARGB32_Premultiplied);
    TMarkerHits hits;
    // Both on screen, west first in the list; then east alone, then west alone.
    for (auto [x, colour] : {std::pair{-400, 0xFF00AA00u}, {-701, 0xFF0000AAu}, {0, 0xFF00AA00u}}) {
        scene.view = {700, {x, 0}, 300, 300};
        paint_map(buffer, scene, hits);
        EXPECT_EQ(buffer.pixel(150, 150), colour) << x;
    }
    EXPECT_TRUE(east.high_image.isNull() && !west.high_missing);
}

// A high-detail image one pixel wide is an image like any other: read once, and drawn.
TEST(HighDetailImages, OnePixelWideIsReadOnceAndDrawn) {
    pMap_info zone;
    std::vector<pMap_info*> zones{&zone};
    TMapScene scene;
    scene.show_continent = true;
    scene.zones = &zones;
    int loads = 0;
    scene.load_high_image = [&](pMap_info& z, TImageBudget&) {
        ++loads;
        z.high_image = QImage(1, 64, QImage::Format_RGB32);
        z.high_image.fill(0xFF00AA00);
        return true;
    };
    QImage buffer(300, 300, QImage::Format_ARGB32_Premultiplied);
    TMarkerHits hits;
    scene.view = {700, {0, 0}, 300, 300};
    paint_map(buffer, scene, hits);
    paint_map(buffer, scene, hits);
    EXPECT_EQ(std::pair(loads, buffer.pixel(150, 150)), std::pair(1, 0xFF00AA00u));
}

// Polylines that reach into the buffer from beyond any of its edges are drawn, however far away
// they start; a last polyline cut short is left out.
TEST_F(MapPaint, OutlinesAreDrawnUpToEveryEdge) {
    // Pixel positions in a zone of 256 pixels at the buffer's origin.
    const std::vector<std::vector<float>> lines = {
        {-1000, 100, 2, 100},  {297, 140, 1300, 140},  {180, -1000, 180, 2},
        {220, 297, 220, 1300}, {-500, -400, 800, 900}, {-9, -9, -4, 310, 310, -4}};
    const std::string cut = polylines({{1, 1, 2, 2}}).substr(0, 10);
    const TOutline outline = outline_of(polylines(lines, 1.0f / 256) + cut);
    EXPECT_EQ(outline.lines.size(), lines.size());
    buffer.fill(0xFF000000);
    {
        TMapCanvas c(buffer);
        paint_vec(c, outline, 0, 0, 256, 0xFFFFFFFF);
    }
    for (auto [x, y] :
         {std::pair{1, 100}, {298, 140}, {180, 1}, {220, 298}, {150, 250}, {153, 153}})
        EXPECT_GT(qRed(buffer.pixel(x, y)), 0x40) << x << "," << y;
}

TEST(ZoneImage, LoadsJpegOrBmpAndRefusesTheRest) {
    TempDir dir;
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(0xFF336699);
    ASSERT_TRUE(image.save(to_path(dir.file("a.bmp")), "BMP"));
    ASSERT_TRUE(image.save(to_path(dir.file("b.jpg")), "JPG"));
    ASSERT_TRUE(write_raw(dir.file("c.jpg"), "not a picture"));
    ASSERT_TRUE(image.save(to_path(dir.file("d.jpg")), "PNG"));
    for (auto [name, loads] :
         {std::pair{"a", true}, {"b", true}, {"c", false}, {"d", false}, {"missing", false}}) {
        QImage bitmap(4, 4, QImage::Format_RGB32);
        EXPECT_EQ(load_zone_image(dir.file(name), bitmap), loads) << name;
        EXPECT_EQ(bitmap.isNull(), !loads) << name;
    }
}

// A zone image is at most 1024 pixels wide and high, a high-detail one 4096, and its file 16 MB:
// one past any of them is not loaded, and error.log names it, as it names a file that cannot be
// decoded. With a budget, the file read and the pixels kept are taken from it; an image that
// does not fit is not loaded, and nothing is logged.
TEST(ZoneImage, ImagesPastTheirLimitsOrWithoutRoomAreNotLoaded) {
    SavedGlobals saved;
    TempDir dir;
    app_path = dir.path();
    take_outside_limits();
    auto jpeg = [&](const std::string& name, int width, size_t padded = 0) {
        std::string bytes;
        EXPECT_TRUE(write_test_jpeg(dir.file(name + ".jpg"), width, 1, 1, JCS_GRAYSCALE,
                                    JCS_GRAYSCALE, std::vector<uint8_t>(size_t(width), 90)) &&
                    read_file(dir.file(name + ".jpg"), bytes) &&
                    write_raw(dir.file(name + ".jpg"),
                              bytes + std::string(padded - std::min(padded, bytes.size()), '\0')));
        return dir.file(name);
    };
    auto bmp = [&](const std::string& name, int width) {
        QImage image(width, 1, QImage::Format_RGB32);
        image.fill(0xFF5A5A5A);
        EXPECT_TRUE(image.save(to_path(dir.file(name + ".bmp")), "BMP"));
        return dir.file(name);
    };
    const std::tuple<std::string, int, bool> cases[] = {
        {jpeg("side", kMaxZoneImageSide), kMaxZoneImageSide, true},
        {jpeg("wide", kMaxZoneImageSide + 1), kMaxZoneImageSide, false},
        {bmp("bside", kMaxZoneImageSide), kMaxZoneImageSide, true},
        {bmp("bwide", kMaxZoneImageSide + 1), kMaxZoneImageSide, false},
        {jpeg("high", kMaxHighImageSide), kMaxHighImageSide, true},
        {jpeg("hwide", kMaxHighImageSide + 1), kMaxHighImageSide, false},
        {jpeg("full", 8, kMaxZoneImageFile), kMaxZoneImageSide, true},
        {jpeg("over", 8, kMaxZoneImageFile + 1), kMaxZoneImageSide, false}};
    std::vector<std::string> expected_log;
    for (const auto& [path, side, loads] : cases) {
        QImage bitmap(4, 4, QImage::Format_RGB32);
        EXPECT_EQ(load_zone_image(path, bitmap, side), loads) << path;
        EXPECT_EQ(bitmap.format(), loads ? QImage::Format_RGB32 : QImage::Format_Invalid) << path;
        if (loads)
            EXPECT_EQ(bitmap.pixel(0, 0), 0xFF5A5A5Au) << path;
        else
            expected_log.push_back(path + (file_exists(path + ".jpg") ? ".jpg" : ".bmp") +
                                   ": larger than its limit (" + std::to_string(side) + " x " +
                                   std::to_string(side) + " pixels, 16 MB); it is not read.");
    }
    ASSERT_TRUE(write_raw(dir.file("damaged.jpg"), "\xFF\xD8 not a picture"));
    QImage bitmap;
    EXPECT_FALSE(load_zone_image(dir.file("damaged"), bitmap));
    expected_log.push_back(dir.file("damaged.jpg") +
                           ": not loaded: The JPEG data are damaged or incomplete.");
    std::vector<std::string> log = split_lines(file_text(dir.file("error.log")));
    for (std::string& line : log)
        line.erase(0, 21); // the date and time
    EXPECT_EQ(log, expected_log);
    EXPECT_EQ(take_outside_limits(), 4);
    // Room for the file and its pixels, then for one byte less, then none left.
    const size_t file = file_text(dir.file("side.jpg")).size();
    const size_t need = file + kMaxZoneImageSide * 4;
    for (auto [room, left] : {std::pair{need, size_t(0)}, {need - 1, need - 1 - file}, {0, 0}}) {
        TImageBudget budget{room};
        EXPECT_EQ(load_zone_image(dir.file("side"), bitmap, kMaxZoneImageSide, &budget),
                  room == need);
        EXPECT_EQ(std::pair(budget.bytes, budget.ran_short), std::pair(left, room != need));
    }
    EXPECT_EQ(split_lines(file_text(dir.file("error.log"))).size(), 5u);
}

// The target marker is its file's picture, tinted: the brighter a pixel, the more opaque. A
// file larger than the marker's limit gives no marker, and error.log says so.
TEST(TargetMarker, ItsFileTintedWithinItsLimit) {
    SavedGlobals saved;
    TempDir dir;
    app_path = dir.path();
    take_outside_limits();
    for (QSize size : {max_marker_size, max_marker_size + QSize(0, 1)}) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(0xFF000000);
        picture.setPixel(1, 1, 0xFFFFFFFF);
        ASSERT_TRUE(picture.save(to_path(dir.file("cible.bmp")), "BMP"));
        const tCible marker(dir.file("cible.bmp"), 0xFF204060);
        if (size != max_marker_size) {
            EXPECT_TRUE(marker.bitmap.isNull() && take_outside_limits() == 1);
            EXPECT_NE(file_text(dir.file("error.log")).find("cible.bmp: larger than its limit"),
                      std::string::npos);
            continue;
        }
        EXPECT_EQ(
            std::tuple(marker.bitmap.size(), marker.bitmap.pixel(1, 1), marker.bitmap.pixel(0, 0)),
            std::tuple(size, 0xFF204060u, 0x00204060u));
    }
}

// Each marker and overlay at its place, drawn blended or opaque in its colour; the switched ones
// only while their switch is on. At zoom 300 the zone fills the view.
TEST_F(MapPaint, MarkersAndOverlaysStandWhereTheyBelong) {
    scene.view.zoom = 300;
    scene.lodv = 299;
    scene.labels = false;
    visibility();
    TreeNode* inn = add(1, world(100), world(100), "Inn");
    select(inn);
    // A route of 14 characters: the point and its first waypoint, one segment on row 110.
    rnew_node r = PointsFixture::point("Road", 1, 1, world(20), world(110));
    r.link = route_link("1051", {{world(80), world(110)}});
    ASSERT_EQ(r.link.size(), 14u);
    f.add(r);
    std::vector<rwpitem> paths;
    build_paths(zones, paths);
    update_visibility(detail_levels(300, 200, 400, 600), true, f.common_data->categories, paths);
    ASSERT_EQ(paths.size(), 1u);
    scene.paths = &paths;
    rwpitem area;
    for (auto [x, y] : {std::pair{20, 40}, {60, 40}, {60, 80}, {20, 80}})
        area.points.push_back({world(x), world(y)});
    area.first_colour = 0x33FF0000;
    area.second_colour = 0xDDFF0000;
    scene.current_area = &area;
    const std::vector<rMapLine> overview{
        {world(20), world(130), world(80), world(130), 0xFF0000FF}};
    const std::vector<rMapLine> comments{
        {world(20), world(140), world(80), world(140), 0xFF00FFFF}};
    scene.overview_lines = &overview;
    scene.comment_lines = &comments;
    const std::vector<rWaypoint> waypoints{{world(20), world(160), zones[0]},
                                           {world(80), world(160), zones[0]}};
    scene.waypoints = &waypoints;
    const TOutline border = across(0.5f);
    scene.border = &border;
    scene.current_zone = zones[0];
    zones[0]->outline = across(0.75f);
    const std::vector<std::string> tips{"Tip"};
    scene.tips = &tips;
    scene.tips_width = 30;
    scene.tips_line_height = 10;
    scene.paths_shown = false;
    TreeNode* red = add(1, world(150), world(60));
    add(3, world(150), world(90)); // black: colour 0
    add(1, 0, world(90));          // on the view's edges: neither drawn nor picked
    add(1, world(90), 0);
    paint();
    ASSERT_EQ(hits.size(), 5u); // the target, then the points in tree order
    EXPECT_EQ(std::tuple(hits[0].node, hits[3].node), std::tuple(inn, red));
    EXPECT_EQ((TPoint{hits[3].x, hits[3].y}), (TPoint{150, 60}));

    constexpr QRgb kRed = 0xFFFF0000;
    const QRgb route = paths[0].first_colour;
    struct Probe {
        bool TMapScene::*on; // nullptr: always drawn
        int x, y;
        QRgb colour; // 0: nothing drawn
        bool blended = true;
    };
    const Probe probes[] = {
        {nullptr, 148, 58, kRed, false}, // the 5 x 5 square in the point's colour
        {nullptr, 152, 62, kRed, false},
        {nullptr, 153, 63, 0},
        {nullptr, 145, 55, kIconCorner, false}, // the icon, centred on the point
        {nullptr, 150, 60, kIconCentre, false},
        {nullptr, 148, 88, 0}, // colour 0: no square, the icon stays
        {nullptr, 150, 90, kIconCentre, false},
        {nullptr, 1, 90, 0},
        {nullptr, 90, 1, 0},
        {&TMapScene::labels, 154, 60, kRed, false}, // the underline
        {&TMapScene::labels, 159, 61, 0},
        {&TMapScene::dimmed, 250, 250, kDimColour},
        {nullptr, 40, 60, 0x33FF0000},             // the area's fill
        {nullptr, 60, 60, 0xDDFF0000},             // and its outline
        {&TMapScene::paths_shown, 23, 110, route}, // stippled: two on, one off
        {&TMapScene::paths_shown, 24, 110, route},
        {&TMapScene::paths_shown, 25, 110, 0},
        {&TMapScene::paths_shown, 26, 110, route},
        {&TMapScene::overview_shown, 20, 130, 0xFF0000FF},
        {&TMapScene::overview_shown, 79, 130, 0xFF0000FF},
        {&TMapScene::overview_shown, 80, 130, 0}, // the last pixel left out
        {nullptr, 50, 140, 0xFF00FFFF},
        {nullptr, 50, 160, kWaypointColour},
        {&TMapScene::waypoint_mode, 100, 150, kWaypointBorderColour},
        {&TMapScene::current_zone_outline, 100, 150, kCurrentZoneColour},
        {&TMapScene::zone_outlines, 100, 225, kOutlineColour},
        {nullptr, 92, 92, 0x80FF00FF},                  // the target marker
        {nullptr, 104, 100, kTargetLabelColour, false}, // the tie
        {nullptr, 108, 100, kTargetLabelColour, false}, // the label's frame
        {nullptr, 102, 102, opaque_color32(inn->item()->colour), false},
        {&TMapScene::tips_shown, 41, 31, kTipsColour},
        {&TMapScene::tips_shown, 42, 31, 0},
        {&TMapScene::search_area_mode, 0, 280, kSearchBarColour},
        {&TMapScene::search_area_mode, 298, 299, kSearchBarColour},
        {&TMapScene::search_area_mode, 299, 290, 0},
        {&TMapScene::search_area_mode, 10, 279, 0},
    };
    for (const Probe& p : probes) {
        const QRgb expected = p.blended ? over(p.colour, kGround) : p.colour;
        if (p.on)
            scene.*p.on = true;
        paint();
        EXPECT_EQ(raw(p.x, p.y), expected) << p.x << "," << p.y;
        if (!p.on)
            continue;
        EXPECT_TRUE(paths[0].drawn || p.on != &TMapScene::paths_shown);
        scene.*p.on = false;
        paint();
        EXPECT_EQ(raw(p.x, p.y), kGround) << p.x << "," << p.y << " switched off";
    }
    // A lone waypoint draws nothing; labels write the names in the points' colours.
    const std::vector<rWaypoint> one(waypoints.begin(), waypoints.begin() + 1);
    scene.waypoints = &one;
    scene.labels = true;
    paint();
    EXPECT_EQ(raw(50, 160), kGround);
    EXPECT_GT(count(QRect(160, 50, 60, 15), kRed), 20);
    // Zone outlines only above [LODV]; a route off screen is not drawn, so not picked.
    scene.lodv = 300;
    scene.zone_outlines = scene.paths_shown = true;
    scene.view.offset = {0, -150};
    paint();
    EXPECT_EQ(raw(100, 75), kGround);
    EXPECT_FALSE(paths[0].drawn);
}

// However the view moves the selected point's label over and past the edges, the window shows
// exactly its part of the label as painted whole in the middle of a large buffer, and the
// background beyond it.
TEST_F(MapPaint, TargetLabelIsClippedAtEveryEdge) {
    scene.markers_shown = false;
    select(add(1, 32768, 32768, "Auberge du Val")); // (100, 100) from the view's offset
    // The whole label, with the point at (centre, centre), nothing of it near an edge.
    const int centre = 500;
    QImage whole(2 * centre, 2 * centre, QImage::Format_ARGB32_Premultiplied);
    whole.fill(0xFF000000);
    scene.view = {200, {centre - 100, centre - 100}, whole.width(), whole.height()};
    paint_map(whole, scene, hits);
    for (int edge = 0; edge < whole.width(); ++edge)
        for (auto [x, y] :
             {std::pair{edge, 0}, {edge, whole.height() - 1}, {0, edge}, {whole.width() - 1, edge}})
            ASSERT_EQ(::raw(whole, x, y), 0xFF000000u) << x << "," << y;
    ASSERT_EQ(::raw(whole, centre + 4, centre), kTargetLabelColour); // the tie
    const int far = 2000000000;
    const int spots[][2] = {{100, 100}, {-200, 100},   {-30, 100}, {0, 0},   {240, 100},
                            {292, 100}, {400, 100},    {100, -20}, {100, 3}, {100, 297},
                            {100, 330}, {-40000, 100}, {far, -far}};
    for (auto [x, y] : spots) {
        scene.view = {200, {x - 100, y - 100}, 300, 300};
        paint();
        for (int py = 0; py < 300; ++py)
            for (int px = 0; px < 300; ++px) {
                const int64_t wx = int64_t(px) - x + centre, wy = int64_t(py) - y + centre;
                const bool inside = wx >= 0 && wy >= 0 && wx < whole.width() && wy < whole.height();
                ASSERT_EQ(raw(px, py), inside ? ::raw(whole, int(wx), int(wy)) : 0xFF000000u)
                    << "label at " << x << "," << y << ": pixel " << px << "," << py;
            }
    }
}
