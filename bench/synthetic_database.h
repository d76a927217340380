#pragma once
// A large made-up database for benchmarks: points with realistic names, comments and link
// strings spread over zones and categories that exist in its map and category sections.

#include "support/points_writer.h"

#include <memory>

#include <string>
#include <vector>

namespace support {

struct SyntheticShape {
    int points = 100000;
    int continents = 3;
    int zones = 60;
    int categories = 40;
    unsigned seed = 42;
};

// The point records, zone ids 1..zones and category ids 1..categories.
std::vector<PointSpec> synthetic_points(const SyntheticShape& shape);
// Section 9 of those points (header values 1 and 7 and a date).
std::string synthetic_points_section(const SyntheticShape& shape);
// A whole master.loc: map, categories, properties, the three icon strips and the points.
std::string synthetic_master(const SyntheticShape& shape);
// Writes <folder>/database/<name>/master.loc and url.bin.
bool write_synthetic_database(const std::string& folder, const std::string& name,
                              const SyntheticShape& shape);

} // namespace support

class TForm4;

namespace support {

// A main window past its start-up over an installation (made once, in a temporary folder) whose
// one database "Synth" is the default synthetic one; the database is selected, nothing loaded.
std::unique_ptr<TForm4> synthetic_window();

} // namespace support
