#pragma once
// A main window over the database of a PointsFixture, and the program's own files for one.

#include "mainwindow/widgets/map.h"
#include "support/points_fixture.h"

#include <memory>
#include <string>
#include <vector>

namespace support {

// Creates the window in `app_folder`, moves the fixture's map and category data into it and
// builds the tree skeleton (the fixture is best made with build = false).
std::unique_ptr<TForm4> form_with_points(const std::string& app_folder, PointsFixture& f);

// Copies the repository's res/ and data/ folders into the installation folder.
void copy_program_files(const std::string& app_folder);

// Two continents: Sylvanie (1) with Val (zone 10, image "val", at the origin) and Mont (zone 11,
// image "mont", east of Val); Levant (2) with Ile (zone 30, image "ile", at the origin).
std::vector<ContinentSpec> two_continents();
std::vector<ZoneSpec> two_continent_zones();

// Writes a small zone image maps_path + name + ".jpg" for each name; false when one fails.
bool write_zone_images(const std::vector<std::string>& names);

} // namespace support
