#pragma once
// Writers of the map-generator sections of master.loc: section 5 (settings) and section 6
// (zone list). Both are texts of CR LF lines.
//
// Section 5: lines 1 to 4 each carry a 7-character key that readers drop unread, then the
// registry key name, the registry value name, the translation file name and the archive folder
// prefix; further lines are "[VALI]=" + a valid tile prefix or "[PATH]=" + a default archive
// path relative to the game folder.
// Section 6: one block of 17 lines per zone: "[name]" + the zone image name, then its 16 tiles
// row by row from the top, each "[zonA]" + tile name, or "[none]" for a cell without a tile.

#include <array>
#include <string>
#include <vector>

namespace support {

struct GeneratorSettingsSpec {
    std::string registry_key{};
    std::string registry_value{};
    std::string translation_file{};
    std::string archive_prefix{};
    std::vector<std::string> valid_prefixes{};
    std::vector<std::string> archive_paths{};
};

std::string generator_settings_section(const GeneratorSettingsSpec& s);

struct GeneratorZoneSpec {
    std::string image_name{};
    std::array<std::string, 16> tiles{}; // row by row; empty: no tile in that cell
};

std::string generator_zone_section(const std::vector<GeneratorZoneSpec>& zones);

} // namespace support
