#include "foundation/map_data.h"

#include "foundation/binary_io.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"

#include <algorithm>

rZoneClass::rZoneClass(std::string_view record) {
    ByteReader r(record);
    name = r.short_string(43);
    r.seek(44);
    class_id = r.u32();
    image_index = r.u32();
}

rContinent::rContinent(std::string_view record) {
    ByteReader r(record);
    continent_id = r.i16();
    r.skip(1);
    tree_icon = r.u8();
    whole_zone_id = r.u16();
    r.seek(12);
    name = r.short_string(40);
    in_menu = r.u8() != 0;
}

TData_map::TData_map(const std::string& master) {
    load_maps(master.empty() ? master_file : master);
    std::sort(zones.begin(), zones.end(),
              [](const auto& a, const auto& b) { return compare_map_names(*a, *b) < 0; });
}

void TData_map::load_maps(const std::string& master) {
    std::string section;
    if (!load_section(section, master, 3))
        return;
    ByteReader r(section);
    // A counted table: whole records are kept; a partial one uses the section up. Returns false
    // when nothing follows the table.
    auto read_table = [&](size_t size, auto&& append) {
        if (r.remaining() < 4)
            return false;
        int32_t count = r.i32();
        for (int32_t i = 0; i < count; ++i) {
            if (r.remaining() < size) {
                r.seek(r.size());
                return false;
            }
            append(r.bytes(size));
            if (r.at_end())
                return false;
        }
        return true;
    };
    if (!read_table(rZoneClass::record_size, [&](const std::string& rec) {
            zone_classes.push_back(std::make_unique<rZoneClass>(rec));
        }))
        return;
    if (!read_table(rContinent::record_size, [&](const std::string& rec) {
            continents.push_back(std::make_unique<rContinent>(rec));
        }))
        return;
    auto in_range = [](int32_t v) { return -kZoneOriginLimit <= v && v <= kZoneOriginLimit; };
    while (r.remaining() >= pMap_info::record_size) {
        auto zone = std::make_unique<pMap_info>(r.bytes(pMap_info::record_size));
        if (in_range(zone->origin_x) && in_range(zone->origin_y))
            zones.push_back(std::move(zone));
    }
}

int compare_map_names(const pMap_info& a, const pMap_info& b) {
    return compare_text(a.name, b.name);
}

bool maps_complete(const TData_map& map_data) {
    for (const auto& zone : map_data.zones) {
        if (!zone->no_image && !file_exists(maps_path + path_name(zone->image_name) + ".jpg"))
            return false;
    }
    return true;
}
