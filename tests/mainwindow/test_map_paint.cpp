#include "database/points_tree.h"
#include "foundation/binary_io.h"
#include "foundation/text_codec.h"
#include "mainwindow/map_paint.h"
#include "support/points_fixture.h"
#include "support/section_writer.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace support;

namespace {

constexpr QRgb kGround = 0xFF808080;
constexpr QRgb kIconCorner = 0xFF0000FF;
constexpr QRgb kIconCentre = 0xFF00FF00;

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

TEST_F(MapPaint, MarkerSquareIconAndLabelStandWhereTheyBelong) {
    TreeNode* red = add(1, 32768, 32768); // screen (100, 100): Round(100.0015)
    add(3, 32768, 16384);                 // black: (100, 50)
    scene.labels = false;
    paint();
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].node, red);
    EXPECT_EQ((TPoint{hits[0].x, hits[0].y}), (TPoint{100, 100}));
    EXPECT_EQ(at(98, 98), 0xFFFF0000u); // the 5 x 5 square's corner
    EXPECT_EQ(at(102, 102), 0xFFFF0000u);
    EXPECT_EQ(at(103, 103), kGround);
    EXPECT_EQ(at(95, 95), kIconCorner); // the icon, centred on the point
    EXPECT_EQ(at(100, 100), kIconCentre);
    EXPECT_EQ(at(104, 100), kGround); // no underline and no label without labels
    EXPECT_EQ(count(QRect(110, 90, 60, 15), 0xFFFF0000u), 0);
    // Colour 0 gives no square, the icon stays.
    EXPECT_EQ(at(98, 48), kGround);
    EXPECT_EQ(at(100, 50), kIconCentre);

    scene.labels = true;
    paint();
    EXPECT_EQ(at(104, 100), 0xFFFF0000u); // the underline
    EXPECT_EQ(at(109, 101), kGround);
    EXPECT_GT(count(QRect(110, 90, 60, 15), 0xFFFF0000u), 20); // the name, in the point's colour
}

TEST_F(MapPaint, PointsOnTheViewEdgeAreNeitherDrawnNorPicked) {
    add(1, 0, 32768);
    add(1, 32768, 0);
    scene.labels = false;
    paint();
    EXPECT_TRUE(hits.empty());
    EXPECT_EQ(at(1, 100), kGround);
}

TEST_F(MapPaint, DetailLevelsAppearWithTheZoom) {
    add(2, 32768, 32768);
    scene.view.zoom = 199;
    visibility();
    paint();
    EXPECT_TRUE(hits.empty());
    scene.view.zoom = 200;
    visibility();
    paint();
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(at(104, 100), kGround); // shown without its label
    EXPECT_EQ(at(98, 98), 0xFF0000FFu);
}

TEST_F(MapPaint, DimmingDarkensEverythingBelowTheMarkers) {
    add(1, 32768, 32768);
    scene.dimmed = true;
    paint();
    EXPECT_NEAR(qRed(at(150, 150)), 0x80 * (255 - 0x66) / 255, 1);
    EXPECT_EQ(at(98, 98), 0xFFFF0000u); // markers come after the dimming
}

TEST_F(MapPaint, SplashOnlyUntilAContinentIsShown) {
    QImage splash(20, 10, QImage::Format_RGB32);
    splash.fill(0xFF123456);
    scene.splash = &splash;
    scene.show_continent = false;
    add(1, 32768, 32768);
    paint();
    EXPECT_EQ(at(150, 150), 0xFF123456u);
    EXPECT_EQ(at(140, 145), 0xFF123456u);
    EXPECT_EQ(at(139, 150), 0xFF000000u);
    EXPECT_EQ(at(98, 98), 0xFF000000u);
    EXPECT_TRUE(hits.empty());
    scene.quitting = true;
    buffer.fill(0xFF000000);
    paint_map(buffer, scene, hits);
    EXPECT_EQ(at(150, 150), 0xFF000000u);
}

TEST_F(MapPaint, HighDetailImagesComeAboveTheThresholdAndGoBelowIt) {
    int loads = 0;
    scene.load_high_image = [&](pMap_info& z) {
        ++loads;
        z.high_image = QImage(64, 64, QImage::Format_RGB32);
        z.high_image.fill(0xFF204060);
        return true;
    };
    scene.view.zoom = scene.mahd;
    paint();
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(at(150, 150), kGround);
    scene.view.zoom = scene.mahd + 1;
    paint();
    paint();
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(at(150, 150), 0xFF204060u);
    scene.view.zoom = scene.mahd;
    paint();
    EXPECT_TRUE(zones[0]->high_image.isNull());
    // A zone without a high-detail file is not looked for again.
    scene.load_high_image = [&](pMap_info&) { return ++loads, false; };
    scene.view.zoom = scene.mahd + 1;
    paint();
    paint();
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(at(150, 150), kGround);
}

TEST_F(MapPaint, DamagedOutlineDrawsWhatItHolds) {
    ByteWriter w;
    w.u16(2);
    for (float v : {0.1f, 0.5f, 0.9f, 0.5f})
        w.f32(v);
    w.u16(40); // promises more pairs than follow
    w.f32(0.2f);
    const std::string stream = w.data();
    buffer.fill(0xFF000000);
    {
        TMapCanvas c(buffer);
        paint_vec(c, stream, 0, 0, 200, 0xFFFFFFFF);
    }
    EXPECT_GT(qRed(buffer.pixel(100, 100)), 100);
    EXPECT_EQ(buffer.pixel(100, 150), 0xFF000000u);
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
