#pragma once
// Writers of the record sections of master.loc (zone tables, categories, property lines, icon
// strip) and of catpref.bin, laid out as the readers expect them.

#include <QColor>
#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace support {

struct ZoneClassSpec {
    std::string name{};
    uint32_t class_id = 0;
    uint32_t image_index = 0;
};

struct ContinentSpec {
    int16_t id = 0;
    uint8_t tree_icon = 0;
    uint16_t whole_zone_id = 0;
    std::string name{};
    bool in_menu = true;
};

struct ZoneSpec {
    std::string name{};
    std::string image_name{};
    int16_t zone_id = 0;
    int16_t continent_id = 0;
    uint8_t zone_class = 0;
    uint8_t tree_icon = 0;
    int32_t origin_x = 0;
    int32_t origin_y = 0; // as stored (negated)
    bool no_image = false;
};

std::string zone_class_record(const ZoneClassSpec& z);
std::string continent_record(const ContinentSpec& c);
std::string zone_record(const ZoneSpec& z);
// Section 3: counted zone classes, counted continents, then the zones.
std::string map_section(const std::vector<ZoneClassSpec>& classes,
                        const std::vector<ContinentSpec>& continents,
                        const std::vector<ZoneSpec>& zones);

struct CategorySpec {
    std::string name{};
    uint8_t id = 0;
    uint8_t tree_icon = 0;
    uint8_t type = 1;
    int32_t colour = 0; // 0x00BBGGRR
    int32_t icon_index = 0;
    bool imposes_default_name = false;
    std::string default_name{};
    bool shown = true;
    bool link_target = false;
    uint8_t detail_level = 1;
    uint8_t style = 0; // 1 bold, 2 italic, 3 both
    std::string font_name = "Arial";
    uint8_t font_size = 8;
    std::string id_link_prefix{};
    uint8_t region_pass = 0;
    uint8_t comment_tens = 25; // comment limit in tens of characters
};

// Section 4: the records one after another.
std::string category_section(const std::vector<CategorySpec>& categories);

struct PropertySpec {
    int flag_id = 0;
    int group = 0;
    int32_t colour = 0; // 0x00BBGGRR, 0 = none
    std::string name{};
};

// Section 2: fixed-column lines "fff ggg BBGGRR name" joined with CR LF, "@eof" last.
std::string property_section(const std::vector<PropertySpec>& properties);

// A BMP strip of `count` square icons of `size` pixels; icon i is filled with colours[i]
// (cycled), with a white border pixel column on its right side.
QImage icon_strip(int size, const std::vector<QColor>& colours, int count);
// The image as BMP bytes (24-bit).
std::string bmp_bytes(const QImage& image);

struct CatprefSpec {
    uint8_t id = 0;
    int32_t colour = 0;
    int32_t icon_index = 0;
    bool shown = true;
    uint8_t style = 0; // bit 0 bold, bit 1 italic, bit 2 underline, bit 3 strike-out
    std::string font_name = "Arial";
    uint8_t font_size = 8;
};

std::string catpref_record(const CatprefSpec& c);
std::string catpref_file(const std::vector<CatprefSpec>& records);

} // namespace support
