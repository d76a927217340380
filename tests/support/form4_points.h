#pragma once
// A main window over the database of a PointsFixture, and the program's own files for one.

#include "mainwindow/widgets/map.h"
#include "support/points_fixture.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"

#include <QEvent>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace support {

// Creates the window in `app_folder`, moves the fixture's map and category data into it and
// builds the tree skeleton (the fixture is best made with build = false).
std::unique_ptr<TForm4> form_with_points(const std::string& app_folder, PointsFixture& f);

// The first point of that name in display order, or null.
TreeNode* find_point(const TPointsTree& tree, const std::string& name);

// A main window test: globals and preferences are put back, message boxes are scripted, the
// window lives in a temporary installation folder and goes first.
class Form4Test : public ::testing::Test {
protected:
    SavedGlobals globals;
    ScriptedMessages boxes;
    TempDir app;
    std::unique_ptr<TForm4> form;

    void TearDown() override { form.reset(); }
    // Sends one mouse event to the map; `held` are the buttons down after it.
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers keys = Qt::NoModifier);
    void move(QPoint at, Qt::MouseButtons held = Qt::NoButton);
    // A move there, then a left click.
    void click(QPoint at, Qt::KeyboardModifiers keys = Qt::NoModifier);
    // A key press (with its text) sent to the control.
    void key(QWidget* target, int code, const QString& text = {});
};

// Copies the repository's res/ and data/ folders into the installation folder.
void copy_program_files(const std::string& app_folder);

// Two continents: Sylvanie (1) with Val (zone 10, image "val", at the origin) and Mont (zone 11,
// image "mont", east of Val); Levant (2) with Ile (zone 30, image "ile", at the origin).
std::vector<ContinentSpec> two_continents();
std::vector<ZoneSpec> two_continent_zones();

// Writes a small zone image maps_path + name + ".jpg" for each name; false when one fails.
bool write_zone_images(const std::vector<std::string>& names);

} // namespace support
