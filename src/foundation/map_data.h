#pragma once
// Zone classes, continents and zones of a database, read from its map section.

#include "foundation/func_type.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A zone class: the search filters zones by it.
struct rZoneClass {
    static constexpr size_t record_size = 64;
    explicit rZoneClass(std::string_view record);

    std::string name;
    uint32_t class_id = 0;    // 0..255
    uint32_t image_index = 0; // in the search dialog's tree
};

// A continent: a menu entry and a node at the top of the points tree.
struct rContinent {
    static constexpr size_t record_size = 80;
    explicit rContinent(std::string_view record);

    int16_t continent_id = 0;
    uint8_t tree_icon = 0;
    uint16_t whole_zone_id = 0; // the zone that shows the whole continent
    TreeNode* tree_node = nullptr;
    std::string name; // at most 40 characters
    bool in_menu = false;
};

// The largest distance of a zone's origin from the world origin on either axis: 1024 zones of
// 65536 units. Real continents span a few dozen zones; the bound keeps every sum and difference
// of the map view's zone and world positions within the i32 range.
constexpr int32_t kZoneOriginLimit = 1 << 26;

// The most records of each table that are read; a real database holds a few continents and a
// few hundred zones. A zone class is one bit of the search's 256-bit set.
constexpr size_t kMaxZoneClasses = 256;
constexpr size_t kMaxContinents = 256;
constexpr size_t kMaxZones = 2048;

class TData_map {
public:
    // Reads the map section of `master` (the current master_file when empty) and sorts the zones
    // by name.
    explicit TData_map(const std::string& master = {});

    // Reads the map section; on any failure the three lists stay as far as they were read. A zone
    // whose origin lies beyond kZoneOriginLimit is skipped. Each table keeps its first records up
    // to its limit above; error.log tells of the others.
    void load_maps(const std::string& master);

    std::vector<std::unique_ptr<pMap_info>> zones;
    std::vector<std::unique_ptr<rContinent>> continents;
    std::vector<std::unique_ptr<rZoneClass>> zone_classes;
};

// Case-insensitive comparison of two zone names (ASCII letters folded, then byte order).
int compare_map_names(const pMap_info& a, const pMap_info& b);

// True when every zone that needs an image has maps_path + image name + ".jpg" on disk.
bool maps_complete(const TData_map& map_data);

// The outline of a converted polyline stream (convert_polyline_file); a last polyline cut short
// is left out.
TOutline outline_of(std::string_view stream);
// The outlines of one continent's zones, together: a real continent's total a few hundred KB.
constexpr size_t kContinentOutlineLimit = size_t(4) << 20;
// The outline of a .vec file: empty when it is missing or passes kOutlineFileLimit, or, with a
// budget of bytes (which it uses up), passes the budget (error.log says so).
TOutline read_outline(const std::string& file_name, size_t* budget = nullptr);
