#include "support/generator_sections.h"

namespace support {

std::string generator_settings_section(const GeneratorSettingsSpec& s) {
    std::string out = "[REGK]=" + s.registry_key + "\r\n";
    out += "[REGV]=" + s.registry_value + "\r\n";
    out += "[LIST]=" + s.translation_file + "\r\n";
    out += "[ROOT]=" + s.archive_prefix + "\r\n";
    for (const std::string& prefix : s.valid_prefixes)
        out += "[VALI]=" + prefix + "\r\n";
    for (const std::string& path : s.archive_paths)
        out += "[PATH]=" + path + "\r\n";
    return out;
}

std::string generator_zone_section(const std::vector<GeneratorZoneSpec>& zones) {
    std::string out;
    for (const GeneratorZoneSpec& z : zones) {
        out += "[name]" + z.image_name + "\r\n";
        for (const std::string& tile : z.tiles)
            out += (tile.empty() ? std::string("[none]") : "[zonA]" + tile) + "\r\n";
    }
    return out;
}

} // namespace support
