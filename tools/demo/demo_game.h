#pragma once
// The demo game: what the map image generator reads from a game installation, made from the
// demo database. A folder with the placeholder "VeV.exe" of the game's executable and, at the
// archive paths of the database's generator settings, MPQ archives holding the translation
// list and the 16 tiles of every zone as BLP2 textures (palettized or DXT1), cut from the
// zone's drawn image.

#include "demo/demo_database.h"

#include <string>
#include <vector>

namespace support {

// Writes the demo game into the folder (created when missing), replacing its archives.
// Returns the files written. Throws std::runtime_error when a file cannot be written.
std::vector<std::string> write_demo_game(const DemoDatabase& db, const std::string& folder);

} // namespace support
