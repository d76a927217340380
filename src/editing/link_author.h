#pragma once
// Writing link strings: routes ("V_") and areas ("S_") from the waypoints, bridges ("B_") between
// two points, in the layouts the link decoder and the path decoder read. Number fields are
// upper-case hexadecimal, 4 digits for steps and zone positions (modulo 65536), 8 digits for
// world positions and bridge ids.

#include "database/points_tree.h"
#include "mainwindow/map_paint.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

// ---- Route options: the four characters after "V_" ----

// What the options dialog shows: the every-zoom box and the opacity position 1..10.
struct TRouteOptions {
    bool every_zoom = false;
    int opacity_position = 10;
};

// The code of a new route before its options are asked.
inline constexpr const char* kNewRouteOptions = "0091";

// The dialog state of a code: the box is checked when the first character is "1"; the position
// is the third character's digit + 1, or 10 (opaque, as the map draws it) for another character.
TRouteOptions route_options_of(const std::string& code);

// The code after the dialog: the box's digit, the old second character, the opacity digit, "1".
std::string route_options_code(const std::string& old_code, const TRouteOptions& options);

// ---- Routes and areas ----

// "V_" + options + the first waypoint's zone position + one step per further waypoint; nothing
// when the first waypoint does not lie in `zone`. With fewer than two waypoints only "V_" and
// the options.
std::optional<std::string> route_link(const std::string& options,
                                      const std::vector<rWaypoint>& waypoints,
                                      const pMap_info& zone);

// "S_" + the first waypoint's world position + one step per further waypoint; only "S_" with
// fewer than two waypoints.
std::string area_link(const std::vector<rWaypoint>& waypoints);

// ---- Bridges ----

// What a point's bridge holds; all 0 and empty for no point or a link of another kind.
struct TBridgeData {
    uint8_t flag = 0;
    uint32_t own_id = 0;
    uint32_t target_id = 0;
    std::string text;
};

TBridgeData read_bridge(const TreeNode* node);

std::string bridge_link(uint8_t flag, uint32_t own_id, uint32_t target_id);

// New bridge ids from a 32-bit generator seeded from the clock; never 0, which means "none".
class TBridgeIds {
public:
    TBridgeIds();
    uint32_t next();

private:
    std::mt19937 generator_;
};

// The two strings of a bridge from this point (a) to the other (b): each gets an own id when it
// has none. Two-way: the other point leads back here; one-way: the other keeps its target, unless
// that target is this point.
struct TBridgePlan {
    std::string this_link;
    std::string other_new_link;
    std::string other_old_link;
};
TBridgePlan plan_bridge(TBridgeData a, TBridgeData b, bool two_way, TBridgeIds& ids);

// The options item of a bridge string: flag "1" becomes "0" and "0" becomes "1".
std::string switch_bridge_flag(const std::string& link);

// The options item of the link box: nothing to say for fewer than 3 characters, else whether the
// first letter is one whose options can be edited (B, I, M, S, V).
enum class TLinkOptionsItem { Unchanged, Disabled, Enabled };
TLinkOptionsItem link_options_item(const std::string& link);
