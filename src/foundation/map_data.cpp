#include "foundation/map_data.h"

#include "foundation/binary_io.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"

#include <QFileInfo>

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
    auto cut = [&](size_t limit, const char* records) {
        log_outside_limit(path_text(master) + " (section 3)", std::to_string(limit) + " " + records,
                          true);
    };
    // A counted table: whole records are kept up to the limit; a partial one uses the section up.
    // Returns false when nothing follows the table.
    auto read_table = [&](size_t size, size_t limit, const char* records, auto&& append) {
        if (r.remaining() < 4)
            return false;
        int32_t count = r.i32();
        for (int32_t i = 0; i < count; ++i) {
            if (r.remaining() < size) {
                r.seek(r.size());
                return false;
            }
            if (size_t(i) < limit)
                append(r.bytes(size));
            else
                r.skip(size);
            if (size_t(i) == limit)
                cut(limit, records);
            if (r.at_end())
                return false;
        }
        return true;
    };
    if (!read_table(rZoneClass::record_size, kMaxZoneClasses, "zone classes",
                    [&](const std::string& rec) {
                        zone_classes.push_back(std::make_unique<rZoneClass>(rec));
                    }))
        return;
    if (!read_table(rContinent::record_size, kMaxContinents, "continents",
                    [&](const std::string& rec) {
                        continents.push_back(std::make_unique<rContinent>(rec));
                    }))
        return;
    auto in_range = [](int32_t v) { return -kZoneOriginLimit <= v && v <= kZoneOriginLimit; };
    while (r.remaining() >= pMap_info::record_size) {
        if (zones.size() == kMaxZones) {
            cut(kMaxZones, "zones");
            break;
        }
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

TOutline outline_of(std::string_view stream) {
    TOutline outline;
    ByteReader in(stream);
    while (in.remaining() >= 2) {
        const uint16_t n = in.u16();
        if (n == 0)
            continue;
        if (in.remaining() < size_t(n) * 8)
            break;
        TOutline::Line line{uint32_t(outline.points.size()), n};
        for (uint16_t k = 0; k < n; ++k) {
            const float x = in.f32();
            const float y = in.f32();
            if (k == 0) {
                line.left = line.right = x;
                line.top = line.bottom = y;
            }
            line.left = std::min(line.left, x);
            line.right = std::max(line.right, x);
            line.top = std::min(line.top, y);
            line.bottom = std::max(line.bottom, y);
            outline.points.emplace_back(x, y);
        }
        outline.lines.push_back(line);
    }
    return outline;
}

TOutline read_outline(const std::string& file_name, size_t* budget) {
    if (budget) {
        const auto size = size_t(std::max<qint64>(QFileInfo(to_path(file_name)).size(), 0));
        if (size > *budget) {
            log_outside_limit(path_text(file_name),
                              "the outlines of a continent, " + size_text(kContinentOutlineLimit),
                              false);
            return {};
        }
        *budget -= size;
    }
    std::string stream;
    convert_polyline_file(file_name, stream);
    return outline_of(stream);
}
