#pragma once
// Records and small classes shared by every subsystem: the 128-flag property set, the database
// descriptor, node requests, point item data, categories, zones, named properties, decoded paths
// and the search criteria.

#include <QFont>
#include <QImage>

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Owned elsewhere: a node of the points tree, a continent record of the map data and an entry of
// the region list.
struct TreeNode;
struct rContinent;
struct rRegion;
struct rCateg;
class pMap_info;

// Interface colour 0x00BBGGRR.
using TColor = int32_t;
// 32-bit ARGB colour 0xAARRGGBB.
using TColor32 = uint32_t;

// Label font styles as a set of bits.
using TFontStyles = uint8_t;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

// A position of i32 coordinates (world units or zone-local).
struct TPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// 128 boolean properties in four words. Flag n (1..128) is bit (n mod 32) of word (n - 1) div 32:
// flag 1 is bit 1 of w[0], flag 32 is bit 0 of w[0], flag 33 is bit 1 of w[1].
struct TFlagSet {
    std::array<uint32_t, 4> w{};
    friend bool operator==(const TFlagSet&, const TFlagSet&) = default;
};

// One database folder found by the folder scan.
struct rdbavailable {
    std::string folder;
    std::string description;         // line 9 without its "%%" marks
    std::string display_description; // line 9 with "%%" turned into CR
    std::string mail_address;
    std::string update_address1;
    std::string update_address2;
    std::string update_address3;
    std::string upload_address;
    std::string newer_version_page;
    bool not_editable = false;
    bool is_edit_database = false;
    bool edit_choice = false;
    bool is_current = false;
    bool version_ok = false;
};

using TDatabaseList = std::vector<std::unique_ptr<rdbavailable>>;

// Result of extract_id: the name without its id markers and the first id (0 when none).
struct rIdReturn {
    std::string text;
    int32_t id = 0;
};

// A request to create one node of the points tree.
struct rnew_node {
    int32_t is_copy = 0; // 1 for the clipboard copy
    int32_t x = 0;
    int32_t y = 0;
    std::string name;
    int32_t zone_id = 0;
    int32_t category_id = 0;
    std::string comment; // lines joined by "|"
    int32_t level_min = 0;
    int32_t level_max = 0;
    TFlagSet flags;
    int32_t master_id = 0;
    bool from_master = false;
    std::string link;
    bool locked = false;
    bool has_item_data = false;
    // Owner: the continent (continent nodes) or the zone (every node below); one of them is set.
    rContinent* owner_continent = nullptr;
    pMap_info* owner_zone = nullptr;
    rCateg* category = nullptr;
};

// Link command kinds.
enum TCommandKind : uint8_t {
    coUnknown = 0,
    coIsWp = 1,
    coIsPoly = 2,
    coIsJump = 3,
    coIsBridge = 4
};
constexpr std::array<std::string_view, 5> command_kind_names = {"coUnknown", "coIsWp", "coIsPoly",
                                                                "coIsJump", "coIsBridge"};

// A decoded link command.
struct rCommand {
    uint8_t kind = coUnknown;
    uint8_t value = 0;
    TColor32 colour_a = 0;
    TColor32 colour_b = 0;
    std::string code;
};

// The item data of a point.
struct rItemdata {
    uint16_t level_min = 0;
    uint16_t level_max = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    int32_t master_id = 0;
    bool from_master = false;
    bool locked = false;
    TFlagSet flags;
    TColor colour = 0;
    std::optional<rCommand> command;
    std::string name;
    std::string key; // normalise_text of the name
    std::string comment;
};

// One category.
struct rCateg {
    std::string name; // at most 20 characters
    uint8_t id = 0;
    uint8_t tree_icon = 0; // the image shown is this + 4
    uint8_t type = 0;
    uint8_t file_index = 0;
    TColor colour = 0;
    int32_t icon_index = 0;
    bool imposes_default_name = false;
    std::string default_name;
    std::string id_link_prefix;
    int32_t comment_limit = 0; // 0: no comment allowed
    QFont font;
    int32_t font_size = 0; // label size in points as stored, also 0 (the font keeps its own)
    bool shown = false;
    bool link_target = false;
    uint8_t detail_level = 1;
    bool visible_on_map = false;
    bool visible_at_zoom = false;
    bool label_at_zoom = false;
    QImage icon; // 11 x 11, ARGB32
    uint8_t region_pass = 0;
    std::string default_font_name;
    int32_t default_font_size = 0;
    int32_t default_icon_index = 0;
    TColor default_colour = 0;
    TFontStyles default_font_style = 0;
    bool default_shown = false;
};

// One entry of the links menu.
struct rLink {
    std::string caption;
    std::string address;
};

// One decoded path or area.
struct rwpitem {
    TreeNode* node = nullptr;
    rItemdata* item = nullptr;
    rCateg* category = nullptr;
    TColor32 first_colour = 0;
    TColor32 second_colour = 0;
    bool visible = false;
    bool hover = false;
    bool drawn = false;         // a segment was drawn in the last paint
    std::vector<TPoint> points; // world units
    int32_t min_x = 0;
    int32_t min_y = 0;
    int32_t max_x = 0;
    int32_t max_y = 0;
};

// One named boolean property.
class tboolspec {
public:
    tboolspec(uint8_t flag_id, std::string name, uint8_t group)
        : name(std::move(name)), flag_id(flag_id), group(group) {}

    std::string name;
    uint8_t flag_id = 0; // 1..128
    uint8_t group = 0;   // 0: top level, else the flag id it is listed under
};

// A converted outline: polylines of points in fractions of a zone (y downwards), each with its
// bounding box.
struct TOutline {
    struct Line {
        uint32_t first = 0; // index of its first point
        uint32_t count = 0;
        float left = 0, top = 0, right = 0, bottom = 0;
    };
    std::vector<std::pair<float, float>> points;
    std::vector<Line> lines;
};

// One zone with a map image.
class pMap_info {
public:
    static constexpr size_t record_size = 92;

    pMap_info() = default;
    // Builds the zone from a zone record of the map section. Throws EInOutError when fewer than
    // record_size bytes are given.
    explicit pMap_info(std::string_view record);

    std::string name;       // at most 30 characters
    std::string image_name; // at most 16 characters, without extension
    int16_t zone_id = 0;
    int16_t continent_id = 0;
    uint8_t zone_class = 0;
    uint8_t tree_icon = 0;
    TreeNode* tree_node = nullptr;
    int32_t origin_x = 0;
    int32_t origin_y = 0; // stored negated
    QImage normal_image;
    QImage high_image;                // empty while not loaded
    bool high_missing = false;        // no usable high-detail file; not looked for again
    bool high_deferred = false;       // it found no room: looked for again once off screen,
                                      // or once others left the screen
    bool smooth = false;              // the images are stretched with linear resampling
    std::vector<uint8_t> region_grid; // 48 x 48 cells when built
    std::optional<TOutline> outline;  // the .vec outline while the continent is loaded
    bool in_view = true;
    bool no_image = false;
};

// The search criteria.
class TSearchArea {
public:
    TSearchArea() { Clear(); }

    // Resets every criterion except the command kind.
    void Clear();

    std::string text;
    std::string key;
    int32_t level_from = 5;
    int32_t level_to = 5;
    TFlagSet flags_indifferent;
    TFlagSet flags_present;
    TFlagSet flags_absent;
    std::bitset<256> zone_classes;
    std::bitset<256> expanded_groups;
    uint16_t expanded_roots = 0;
    int32_t scroll_offset = 0;
    std::vector<rRegion*> regions;   // not owned
    std::vector<rCateg*> categories; // not owned
    uint8_t command_kind = coUnknown;
    uint16_t criteria = 0; // 0: nothing to search
};
