#pragma once
// A main window over the database of a PointsFixture, and the program's own files for one.

#include "mainwindow/widgets/map.h"
#include "support/points_fixture.h"

#include <memory>
#include <string>

namespace support {

// Creates the window in `app_folder`, moves the fixture's map and category data into it and
// builds the tree skeleton (the fixture is best made with build = false).
std::unique_ptr<TForm4> form_with_points(const std::string& app_folder, PointsFixture& f);

// Copies the repository's res/ and data/ folders into the installation folder.
void copy_program_files(const std::string& app_folder);

} // namespace support
