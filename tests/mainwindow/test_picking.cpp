// Picking on the map: markers and routes under the mouse, hover hints and clicks, bridges
// followed to their region, the hint window's captions, sizes and level boxes, and the overview
// lines of comment links.

#include "database/widgets/region_tree_model.h"
#include "mainwindow/picking.h"
#include "mainwindow/widgets/ImageMap.h"
#include "mainwindow/widgets/hint_window.h"
#include "support/form4_points.h"
#include "support/points_writer.h"

#include <QToolButton>

using namespace support;

TEST(Picking, MarkersAndSegments) {
    TreeNode a, b;
    const TMarkerHits hits = {{10, 10, &a}, {12, 10, &b}};
    const std::vector<std::pair<QPoint, TreeNode*>> cases = {
        {{11, 10}, &b}, {{15, 13}, &b}, {{16, 10}, nullptr}, {{7, 7}, &a}, {{6, 10}, nullptr}};
    for (const auto& [at, node] : cases)
        EXPECT_EQ(marker_at(hits, at.x(), at.y()), node) << at.x() << "," << at.y();
    EXPECT_EQ(marker_at(hits, 11 - 65536, 10), &b); // taken as unsigned 16-bit values
    // A 100-pixel segment: 2 pixels beside its middle is near (100.08), 3 is not (100.18).
    EXPECT_TRUE(near_segment({0, 0}, {100, 0}, {50, 2}) &&
                !near_segment({0, 0}, {100, 0}, {50, 3}));
}

namespace {

// Points in Val (zone 10) and in Ile (zone 30), where the region Bay covers the quay.
class Form4Picking : public Form4Test {
protected:
    PointsFixture f{
        two_continents(),
        two_continent_zones(),
        {{.name = "Auberges", .id = 1, .type = 2, .colour = 0x0000FF, .link_target = true},
         {.name = "Regions", .id = 2, .type = 2, .region_pass = 1},
         {.name = "Passages", .id = 3, .type = 3}},
        {{.flag_id = 1, .name = "Services"},
         {.flag_id = 2, .group = 1, .colour = 0x00FF00, .name = "Banque"}},
        false};
    TreeNode *inn, *route, *gate, *quay, *bay;
    TreeNode* add(const std::string& name, int zone, int category, TPoint at,
                  const std::string& link = {}, const std::string& comment = {}) {
        rnew_node r = PointsFixture::point(name, zone, category, at.x, at.y);
        std::tie(r.link, r.comment, r.level_min, r.level_max, r.flags, r.locked) =
            std::tuple(link, comment, 3, 7, flag_set({1, 2}), true);
        return form->addnode(r);
    }
    void SetUp() override {
        form = form_with_points(app.path(), f);
        ASSERT_TRUE(write_zone_images({"val", "mont", "ile"}));
        // At zoom 100 a zone is 100 pixels: zone-local 32768 is pixel 50.
        inn = add("Inn", 10, 1, {32768, 32768}, {}, "Soupe|{Port} {port}");
        add("Port", 10, 1, {32768, 45875});
        route =
            add("Route", 10, 1, {6554, 6554}, route_link("1051", {{13107, 6554}, {19661, 6554}}));
        gate = add("Gate", 10, 3, {13107, 52428}, bridge_link(false, 5, 0));
        add("Ferry", 10, 3, {26214, 52428}, bridge_link(false, 6, 7));
        quay = add("Quay", 30, 3, {32768, 32768}, bridge_link(true, 7, 6));
        bay = add("Bay", 30, 2, {1000, 1000},
                  area_link('S', {{20000, 20000}, {50000, 20000}, {50000, 50000}, {20000, 50000}}));
        form->build_regions();
        form->first_activation = false;
        form->ImageMap->resize(400, 300);
        form->but_chemin->setChecked(true);
        rPreference.WPSU = true;
        form->show_on_map(form->zone_node(10), 0, 0, kShowKeepView);
        form->ImageMap->render();
    }
    bool hint_shown() const { return form->hint_window->isVisible(); }
};

} // namespace

TEST_F(Form4Picking, HoverShowsThePointHintOnceUntilTheMouseLeavesIt) {
    move({50, 50});
    ASSERT_TRUE(hint_shown());
    EXPECT_EQ(form->hint_window->caption().toStdString() + "|" + HCaption.title + "|" +
                  HCaption.level_min + "-" + HCaption.level_max,
              "Inn|Auberges|3-7");
    EXPECT_TRUE(HCaption.show_levels && HCaption.name_colour == 0x00FF00); // its flag 2's colour
    EXPECT_EQ(HCaption.description, "Services\r     [Banque]\r\rSoupe\rPort port");
    // Within the same marker nothing is shown again; after leaving it, it is.
    form->cancel_hint();
    move({51, 52});
    EXPECT_FALSE(hint_shown());
    move({90, 90});
    move({50, 50});
    EXPECT_TRUE(hint_shown());
    // A click hides it and selects the point; the hint stays away over the same marker.
    click({50, 50});
    EXPECT_TRUE(!hint_shown() && form->selection_ancestors[0] == inn);
    move({52, 49});
    EXPECT_FALSE(hint_shown());
}

TEST_F(Form4Picking, RoutesArePickedOnlyWhereDrawnAndBridgesFollowedToTheirRegion) {
    move({15, 10}); // on the route, (10, 10) to (20, 10) to (30, 10), away from its marker
    EXPECT_EQ(HCaption.node, route);
    click({25, 10});
    ASSERT_TRUE(form->selection_ancestors[0] == route && form->path_list.size() == 1);
    EXPECT_EQ(form->path_list[0].first_colour, kTargetPathColour);
    // A route not drawn in the last paint is not picked, nor any with but_chemin up.
    form->path_list[0].drawn = false;
    EXPECT_FALSE(form->path_at(20, 10, 1));
    form->but_chemin->setChecked(false);
    form->path_list[0].drawn = true;
    EXPECT_FALSE(form->path_at(20, 10, 1));
    // A bridge without target: selected like any point.
    click({20, 80});
    EXPECT_EQ(form->selection_ancestors[0], gate);
    // The other end's flag 1 shows its region first, then selects it.
    click({40, 80});
    EXPECT_TRUE(form->current_continent == 2 && form->selection_ancestors[0] == quay);
    EXPECT_GT(form->zoom, 100); // fitted to the region's area
}

TEST_F(Form4Picking, RegionRowsShowTheirPointHintAndOverviewLinesFollowTheButton) {
    form->RegionTree->resize(200, 200);
    const QRect row = form->RegionTree->visualRect(form->region_model->index(0, 0));
    form->RegionTreeMouseMove(10, row.center().y());
    EXPECT_TRUE(HCaption.node == bay && hint_shown());
    form->RegionTreeMouseMove(100, row.center().y()); // beyond the icon columns: no row
    EXPECT_FALSE(HCaption.node || hint_shown());
    // Its point deleted, the region names none until the regions are rebuilt.
    form->destroynode(bay);
    form->RegionTreeMouseMove(10, row.center().y());
    EXPECT_FALSE(HCaption.node || form->region_model->index(0, 0).data().isValid());
    form->overview_lines = {rMapLine{}};
    form->build_links();
    EXPECT_EQ(form->overview_lines.size(), 1u); // button up: kept as it was
    form->but_overview->setChecked(true);
    form->build_links();
    // "{Port}" names a point, "{port}" does not (names are compared case-sensitively).
    ASSERT_EQ(form->overview_lines.size(), 1u);
    const rMapLine& l = form->overview_lines[0];
    EXPECT_EQ((std::array{l.x1, l.y1, l.x2, l.y2, int(l.colour)}),
              (std::array{32768, 32768, 32768, 45875, int(0xFFFF0000u)}));
}

TEST_F(Form4Picking, HintWindowSizesPlacesAndPaintsItsLevelBoxes) {
    TCustomHint& hint = *form->hint_window;
    hint.ActivateHintData(QRect(10, 10, 0, 0), "@Plain tip");
    EXPECT_TRUE(HCaption.simple_mode);
    EXPECT_EQ(hint.size(), QSize(hint.fontMetrics().horizontalAdvance("Plain tip") + 10, 20));
    // The next point hint is drawn in full.
    move({50, 50});
    EXPECT_TRUE(!HCaption.simple_mode && hint.height() > 34);
    // The two level boxes share their middle edge.
    const QImage image = hint.grab().toImage();
    const auto at = [&](int from_right) {
        return image.pixelColor(image.width() - from_right, 14);
    };
    EXPECT_EQ(std::tuple(at(30), at(16), at(15)),
              std::tuple(qcolor_from_tcolor(HCaption.colour_min), QColor(Qt::black),
                         qcolor_from_tcolor(HCaption.colour_max)));
    // Near the desktop's bottom right corner the window moves up and left to stay whole.
    EXPECT_EQ(TCustomHint::place_on_desktop({1270, 790}, {100, 40}, {0, 0, 1280, 800}),
              QPoint(1180, 760));
}
