#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "mainwindow/widgets/ImageMap.h"
#include "mainwindow/widgets/map.h"
#include "support/form4_points.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QToolBar>

// The mouse goes through the window system, which picks the receiver and opens context menus.
#define QTEST_QPA_MOUSE_HANDLING
#include <QTest>

using namespace support;

namespace {

// Sylvanie: Val (cell 0, its image on disk) and Mont (cell 1, no image); Levant: Ile.
class Form4Map : public Form4Test {
protected:
    PointsFixture f{two_continents(),
                    two_continent_zones(),
                    {{.name = "Auberges", .id = 1, .type = 2, .colour = 0x0000FF}},
                    {},
                    false};
    TreeNode *inn = nullptr, *port = nullptr;
    void SetUp() override {
        form = form_with_points(app.path(), f);
        ASSERT_TRUE(write_zone_images({"val", "ile"}));
        inn = form->addnode(PointsFixture::point("Inn", 10, 1, 32768, 32768));
        port = form->addnode(PointsFixture::point("Port", 30, 1, 1000, 1000));
        for (size_t i = 0; i < form->map_data->continents.size(); ++i)
            form->add_continent_menu(form->map_data->continents[i].get(), int(i));
        form->first_activation = false;
        form->ImageMap->resize(400, 300);
    }
    void wheel(QPoint at, int delta) {
        QWheelEvent e(at, form->ImageMap->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form->ImageMap, &e);
    }
    QList<QAction*> continent_items() const { return form->region1->menu()->actions(); }
};

} // namespace

TEST_F(Form4Map, ShowOnMapLoadsTheContinentAndReportsAMissingImageOnce) {
    const size_t before = boxes.texts().size();
    form->show_on_map(form->zone_node(11), 0, 0, 0);
    EXPECT_EQ(form->current_continent, 1);
    ASSERT_EQ(form->continent_zones.size(), 2u); // Mont, Val: the zone list's order
    EXPECT_EQ(form->continent_zones[0]->name, "Mont");
    EXPECT_TRUE(form->continent_zones[0]->normal_image.isNull() &&
                !form->continent_zones[1]->normal_image.isNull());
    EXPECT_EQ(boxes.texts().size(), before + 1); // message 52
    EXPECT_EQ(form->map_view().worldtoscreen(zone_center(*form->continent_zones[0])),
              form->view_center());
    EXPECT_TRUE(continent_items()[0]->isChecked() && form->continent_record->name == "Sylvanie");
    // Within the continent nothing is loaded again.
    form->show_on_map(inn, 0, 0, 0);
    EXPECT_EQ(boxes.texts().size(), before + 1);
    EXPECT_TRUE(form->selection_ancestors[0] == inn && form->target_marker->visible &&
                form->selection_ancestors[3] == form->continent_node);
    // The continent menu opens the other continent at its default zone.
    form->regionClick(continent_items()[1]);
    EXPECT_EQ(form->current_continent, 2);
    EXPECT_TRUE(continent_items()[1]->isChecked() && !continent_items()[0]->isChecked() &&
                form->continent_zones[0]->name == "Ile");
    EXPECT_EQ(boxes.texts().size(), before + 1);
    // A hidden node does nothing at all.
    form->points_tree.set_visible(inn, false);
    form->show_on_map(inn, 0, 0, kShowMove);
    EXPECT_EQ(form->current_continent, 2);
}

TEST_F(Form4Map, ShowOnMapFlagsMoveTheViewOrLeaveItAndZoneImagesAreSmoothedFromZoom1001) {
    form->show_on_map(inn, 0, 0, 0);
    const QPoint start = form->view_offset;
    // The point lies inside the view already: flag 2 alone keeps the view, flag 8 centres.
    form->view_offset += QPoint(150, 100);
    const QPoint kept = form->view_offset;
    form->show_on_map(inn, 0, 0, kShowMove);
    EXPECT_EQ(form->view_offset, kept);
    form->show_on_map(inn, 0, 0, kShowMove | kShowCentreAny);
    EXPECT_EQ(form->map_view().worldtoscreen(form->target_marker->world_position),
              form->view_center());
    // A zone with flag 1 keeps the view; with flag 2 the target marks the position.
    form->view_offset = start;
    form->show_on_map(form->zone_node(10), 0, 0, kShowKeepView);
    EXPECT_EQ(form->view_offset, start);
    form->show_on_map(form->zone_node(10), 100, 200, kShowMove);
    EXPECT_TRUE(form->target_marker->world_position == (TPoint{100, 200}) &&
                !form->target_marker->node);
    // Flag 32 clears the selection afterwards.
    form->show_on_map(inn, 0, 0, kShowUnselect);
    EXPECT_FALSE(form->selection_ancestors[0] || form->target_marker->visible);
    // Zone images are smoothed from zoom 1001 while allowed.
    form->show_on_map(inn, 0, 0, 0);
    for (auto [allowed, zoom, smooth] :
         {std::tuple{true, 1000, false}, {true, 1001, true}, {false, 1000, true}}) {
        rPreference.LIAR = allowed;
        form->set_zoom(form->mouse_world, zoom);
        for (const pMap_info* z : form->continent_zones)
            EXPECT_EQ(z->smooth, smooth) << zoom; // left as it was while not allowed
    }
}

TEST_F(Form4Map, MouseDragsWheelsAndDoubleClicks) {
    form->show_on_map(form->zone_node(10), 0, 0, 0);
    form->view_offset = QPoint(0, 0);
    // Only a plain left press starts a drag.
    for (auto [button, keys] : {std::pair{Qt::RightButton, Qt::NoModifier},
                                {Qt::LeftButton, Qt::ControlModifier},
                                {Qt::LeftButton, Qt::ShiftModifier},
                                {Qt::LeftButton, Qt::AltModifier}}) {
        mouse(QEvent::MouseButtonPress, {100, 100}, button, button, keys);
        EXPECT_FALSE(form->dragging);
        mouse(QEvent::MouseButtonRelease, {100, 100}, button, Qt::NoButton, keys);
    }
    // The wheel zooms about the world point under the mouse.
    move({90, 60});
    const TPoint world = form->mouse_world;
    wheel({90, 60}, 120);
    EXPECT_EQ(std::pair(form->zoom, form->ZoomBar->value()), std::pair(110, 110));
    const TPoint under = form->map_view().worldtoscreen(world);
    EXPECT_LE(std::max(std::abs(under.x - 90), std::abs(under.y - 60)), 1);
    for (int zoom : {110, 99}) { // the first half notch does nothing
        wheel({90, 60}, -60);
        EXPECT_EQ(form->zoom, zoom);
    }
    // Moving the zoom bar zooms about the view's centre.
    const TPoint centre = form->screentoworld(form->view_center());
    form->ZoomBar->setValue(300);
    EXPECT_EQ(form->zoom, 300);
    EXPECT_LE(std::abs(form->map_view().worldtoscreen(centre).x - form->view_center().x), 1);
    // A double click outside every zone does nothing; inside, the zoom becomes 1024.
    move({399, 299});
    ASSERT_EQ(form->mouse_zone, nullptr);
    mouse(QEvent::MouseButtonDblClick, {399, 299}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(form->zoom, 300);
    form->center_on(zone_center(*form->continent_zones[1]));
    move({200, 150});
    mouse(QEvent::MouseButtonDblClick, {200, 150}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(std::pair(form->zoom, form->ZoomBar->value()), std::pair(1024, 300));
    EXPECT_FALSE(form->dragging);
    // Through the window system: a drag, then one whose release a popup took.
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QWidget* map = form->ImageMap;
    const QPoint at(120, 60);
    const QPoint start = form->view_offset;
    QTest::mousePress(map, Qt::LeftButton, {}, at);
    QTest::mouseMove(map, at + QPoint(30, 20));
    QTest::mouseMove(map, at + QPoint(35, 10));
    QTest::mouseRelease(map, Qt::LeftButton, {}, at + QPoint(35, 10));
    EXPECT_EQ(form->view_offset, start + QPoint(35, 10));
    // The context menu opens on the right press and takes both releases.
    QTest::mousePress(map, Qt::LeftButton, {}, at);
    QTest::mousePress(map, Qt::RightButton, {}, at);
    ASSERT_TRUE(form->Menu_image->isVisible());
    QTest::mouseRelease(map, Qt::RightButton, {}, at);
    QTest::keyClick(form->Menu_image, Qt::Key_Escape);
    QTest::mouseRelease(map, Qt::LeftButton, {}, at);
    QTest::mouseMove(map, at + QPoint(40, 30));
    // A release lost elsewhere: the first move without the button ends the drag.
    mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    move(at + QPoint(-40, 10));
    EXPECT_TRUE(form->view_offset == start + QPoint(35, 10) && !form->dragging);
    // A mouse-up on the free part of either tool bar clears the selection.
    for (QPoint free :
         {form->ToolBar2->mapTo(form.get(), QPoint(-30, 8)),
          form->ToolBar3->mapTo(form.get(), QPoint(8, form->ToolBar3->height() - 8))}) {
        form->select_node(inn);
        QTest::mouseClick(form.get(), Qt::LeftButton, {}, free);
        EXPECT_FALSE(form->target_marker->visible) << free.x() << "," << free.y();
    }
    // The database picture shows its hint in the status bar and opens the database menu.
    res_hints.assign(6, "Databases");
    QTest::mouseMove(form->Image1);
    EXPECT_EQ(form->status_panel1->text(), "Databases");
    QTest::mouseClick(form->Image1, Qt::LeftButton);
    EXPECT_TRUE(form->menu_db->isVisible());
    form->menu_db->hide();
}

TEST_F(Form4Map, WaypointsInEditModeWithTheirMenu) {
    form->show_on_map(form->zone_node(10), 0, 0, 0);
    form->view_offset = QPoint(0, 0);
    // Outside edit mode Shift and a click add nothing.
    form->waypoint1->trigger();
    EXPECT_TRUE(form->waypoint_mode);
    click({20, 50}, Qt::ShiftModifier);
    EXPECT_TRUE(form->waypoints.empty());
    rPreference.EDIB = true;
    click({20, 50}, Qt::ShiftModifier);
    ASSERT_EQ(form->waypoints.size(), 1u);
    EXPECT_EQ(form->waypoints[0].zone, form->continent_zones[1]);
    EXPECT_TRUE(!form->wpdefaire1->isEnabled() && form->waypoint1->text().endsWith(" [1]"));
    // 48 pixels at zoom 100 are 31,457 world units: distance 31, accepted; 62 pixels are 40.
    click({68, 50}, Qt::ShiftModifier);
    EXPECT_TRUE(form->waypoints.size() == 2 && form->wpdefaire1->isEnabled());
    click({130, 50}, Qt::ShiftModifier);
    EXPECT_TRUE(form->waypoints.size() == 2 && !form->feedback_lines.empty());
    form->wpdefaire1->trigger();
    EXPECT_TRUE(form->waypoints.size() == 1 && !form->wpdefaire1->isEnabled());
    // Another continent drops them and ends the mode.
    form->show_on_map(port, 0, 0, 0);
    EXPECT_TRUE(form->waypoints.empty() && !form->waypoint_mode && !form->waypoint1->isChecked());
    EXPECT_TRUE(form->waypoint1->text().endsWith(" [0]"));
}

namespace {

// Sylvanie in four zones of 700 pixels around the middle of a 400 x 300 view, each with a small
// dark green image and a high-detail image in its own colour; Levant beside it.
class Form4HighImages : public Form4Test {
protected:
    PointsFixture f{two_continents(),
                    {{.name = "Nord-Ouest", .image_name = "nw", .zone_id = 10, .continent_id = 1},
                     {.name = "Nord-Est",
                      .image_name = "ne",
                      .zone_id = 11,
                      .continent_id = 1,
                      .origin_x = 65536},
                     {.name = "Sud-Ouest",
                      .image_name = "sw",
                      .zone_id = 12,
                      .continent_id = 1,
                      .origin_y = -65536},
                     {.name = "Sud-Est",
                      .image_name = "se",
                      .zone_id = 13,
                      .continent_id = 1,
                      .origin_x = 65536,
                      .origin_y = -65536},
                     {.name = "Ile", .image_name = "ile", .zone_id = 30, .continent_id = 2}},
                    {{.name = "Auberges", .id = 1, .type = 2}},
                    {},
                    false};
    const std::vector<std::string> names{"nw", "ne", "sw", "se"};
    const std::vector<QRgb> colours{0xFFFF0000, 0xFF0000FF, 0xFFFFFF00, 0xFFFF00FF};
    const std::vector<QPoint> inside{{100, 100}, {300, 100}, {100, 200}, {300, 200}};
    void SetUp() override {
        form = form_with_points(app.path(), f);
        ASSERT_TRUE(write_zone_images({"nw", "ne", "sw", "se", "ile"}));
        QDir().mkpath(to_path(maps_path + "high"));
        res_messages.assign(90, "-");
        res_messages[52] = "Some zone images are missing.";
        res_messages[83] = "Some files pass the program's limits.";
        form->first_activation = false;
        form->ImageMap->resize(400, 300);
    }
    void write_high(size_t i, QSize size, QRgb colour) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(to_path(maps_path + "high/" + names[i] + ".jpg"), "JPG"));
    }
    // Sylvanie loaded again and shown at zoom 700, its four zones around the view's middle.
    void show_sylvanie() {
        form->show_on_map(form->zone_node(30), 0, 0, 0);
        form->show_on_map(form->zone_node(10), 0, 0, 0);
        form->zoom = 700;
        form->view_offset = QPoint(-500, -550);
        form->ImageMap->render();
        QApplication::processEvents(); // what the paint refused is told after it
    }
    // The zones whose high-detail image is drawn.
    std::vector<size_t> high_drawn() const {
        std::vector<size_t> drawn;
        const QImage& shown = form->ImageMap->buffer();
        for (size_t i = 0; i < names.size(); ++i) {
            const QColor at = shown.pixelColor(inside[i]);
            const QColor want(colours[i]);
            if (std::abs(at.red() - want.red()) + std::abs(at.green() - want.green()) +
                    std::abs(at.blue() - want.blue()) <
                30)
                drawn.push_back(i);
        }
        return drawn;
    }
    std::vector<std::string> feedback_texts() const {
        std::vector<std::string> texts;
        for (const rdirectfeedback& line : form->feedback_lines.lines())
            texts.push_back(line.text);
        return texts;
    }
    std::vector<std::string> error_log() const {
        return split_lines(file_text(app.file("error.log")));
    }
};

} // namespace

// Four high-detail images of the largest size, all on screen, are all drawn. Past the room
// for them, the zone images are drawn in place of the others, and the user is told once: one
// feedback line and one line in error.log, not again when they are tried anew.
TEST_F(Form4HighImages, AllOnScreenAreDrawnAndThoseBeyondTheirRoomAreToldOnce) {
    for (size_t i = 0; i < names.size(); ++i)
        write_high(i, QSize(kMaxHighImageSide, kMaxHighImageSide), colours[i]);
    show_sylvanie();
    EXPECT_EQ(high_drawn(), (std::vector<size_t>{0, 1, 2, 3}));
    EXPECT_TRUE(form->feedback_lines.empty() && error_log().empty());
    // Room for two images of 64 x 64 pixels: the first two zones by name, Nord-Est and
    // Nord-Ouest.
    for (size_t i = 0; i < names.size(); ++i)
        write_high(i, QSize(64, 64), colours[i]);
    form->high_image_budget = 2 * 64 * 64 * 4 + 4096;
    show_sylvanie();
    EXPECT_EQ(high_drawn(), (std::vector<size_t>{0, 1}));
    const std::vector<std::string> told{"Some zone images are missing.", ""};
    EXPECT_EQ(feedback_texts(), told);
    ASSERT_EQ(error_log().size(), 1u);
    EXPECT_NE(error_log()[0].find("high/ (the high-detail images on screen of Sylvanie)"),
              std::string::npos);
    // Off screen and back: tried again, and again short of room, without a word more.
    for (QPoint offset : {QPoint(5000, 5000), QPoint(-500, -550)}) {
        form->view_offset = offset;
        form->ImageMap->render();
        QApplication::processEvents();
    }
    EXPECT_EQ(high_drawn(), (std::vector<size_t>{0, 1}));
    EXPECT_TRUE(feedback_texts() == told && error_log().size() == 1u);
}

// Three high-detail images past their limits in one paint give one feedback line. The lines
// age without painting the map again until they go; then the ageing stops and nothing paints.
TEST_F(Form4HighImages, RefusedImagesGiveOneLineThatGoesWithoutRepaintingMeanwhile) {
    for (size_t i = 0; i < 3; ++i)
        write_high(i, QSize(kMaxHighImageSide + 1, 1), colours[i]);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    show_sylvanie();
    EXPECT_EQ(feedback_texts(),
              (std::vector<std::string>{"Some files pass the program's limits.", ""}));
    EXPECT_EQ(error_log().size(), 3u);
    int paints = 0;
    form->ImageMap->on_paint = [&, paint = form->ImageMap->on_paint](QImage& buffer) {
        ++paints;
        paint(buffer);
    };
    // The ticks of the ageing timer, as many as the line's 8 seconds take and more.
    for (int tick = 0; tick < 60; ++tick) {
        form->TimerfeedbackTimer();
        QApplication::processEvents();
    }
    EXPECT_TRUE(form->feedback_lines.empty() && !form->Timerfeedback.isActive());
    EXPECT_EQ(paints, 1); // when the line went
    QApplication::processEvents();
    EXPECT_EQ(paints, 1);
}
