#include "editing/link_author.h"

#include "foundation/func_karvo.h"
#include "mainwindow/map_view.h"

#include <algorithm>
#include <chrono>

namespace {

// The steps between consecutive world positions, each dx then dy (the y step is subtracted by
// the readers), taken modulo 65536.
std::string steps(const std::vector<TPoint>& world) {
    std::string s;
    for (size_t i = 1; i < world.size(); ++i) {
        s += int_to_hex4(uint16_t(uint32_t(world[i].x) - uint32_t(world[i - 1].x)));
        s += int_to_hex4(uint16_t(uint32_t(world[i - 1].y) - uint32_t(world[i].y)));
    }
    return s;
}

std::vector<TPoint> world_positions(const std::vector<rWaypoint>& waypoints) {
    std::vector<TPoint> world;
    world.reserve(waypoints.size());
    for (const rWaypoint& w : waypoints)
        world.push_back(w.zone ? worldmaptoworld({w.x, w.y}, *w.zone) : TPoint{w.x, w.y});
    return world;
}

} // namespace

TRouteOptions route_options_of(const std::string& code) {
    TRouteOptions o;
    o.every_zoom = !code.empty() && code[0] == '1';
    if (code.size() > 2 && code[2] >= '0' && code[2] <= '9')
        o.opacity_position = code[2] - '0' + 1;
    return o;
}

std::string route_options_code(const std::string& old_code, const TRouteOptions& options) {
    std::string code = options.every_zoom ? "1" : "0";
    code += old_code.size() > 1 ? old_code[1] : '0';
    code += char('0' + std::clamp(options.opacity_position, 1, 10) - 1);
    code += '1';
    return code;
}

std::optional<std::string> route_link(const std::string& options,
                                      const std::vector<rWaypoint>& waypoints,
                                      const pMap_info& zone) {
    std::string s = "V_" + options;
    if (waypoints.size() < 2)
        return s;
    const rWaypoint& first = waypoints.front();
    if (!first.zone || (first.zone != &zone && first.zone->zone_id != zone.zone_id))
        return std::nullopt;
    s += int_to_hex4(uint16_t(first.x)) + int_to_hex4(uint16_t(first.y));
    return s + steps(world_positions(waypoints));
}

std::string area_link(const std::vector<rWaypoint>& waypoints) {
    std::string s = "S_";
    if (waypoints.size() < 2)
        return s;
    const std::vector<TPoint> world = world_positions(waypoints);
    s += int_to_hex8(uint32_t(world.front().x)) + int_to_hex8(uint32_t(world.front().y));
    return s + steps(world);
}

TBridgeData read_bridge(const TreeNode* node) {
    const rItemdata* item = node ? node->item() : nullptr;
    if (!item || !item->command || item->command->kind != coIsBridge)
        return {};
    return {item->command->value, item->command->colour_a, item->command->colour_b,
            item->command->code};
}

std::string bridge_link(uint8_t flag, uint32_t own_id, uint32_t target_id) {
    return "B_" + std::to_string(flag) + int_to_hex8(own_id) + int_to_hex8(target_id);
}

TBridgeIds::TBridgeIds()
    : generator_(uint32_t(std::chrono::system_clock::now().time_since_epoch().count())) {}

uint32_t TBridgeIds::next() {
    uint32_t id = 0;
    while (id == 0)
        id = uint32_t(generator_());
    return id;
}

TBridgePlan plan_bridge(TBridgeData a, TBridgeData b, bool two_way, TBridgeIds& ids) {
    TBridgePlan plan;
    plan.other_old_link = b.text;
    if (a.own_id == 0)
        a.own_id = ids.next();
    if (b.own_id == 0)
        b.own_id = ids.next();
    if (two_way)
        plan.other_new_link = bridge_link(b.flag, b.own_id, a.own_id);
    else
        plan.other_new_link =
            bridge_link(b.flag, b.own_id, b.target_id == a.own_id ? 0 : b.target_id);
    plan.this_link = bridge_link(a.flag, a.own_id, b.own_id);
    return plan;
}

std::string switch_bridge_flag(const std::string& link) {
    if (link.size() < 3 || link[0] != 'B')
        return link;
    if (link[2] == '1')
        return "B_0" + link.substr(3);
    if (link[2] == '0')
        return "B_1" + link.substr(3);
    return link;
}

TLinkOptionsItem link_options_item(const std::string& link) {
    if (link.size() < 3)
        return TLinkOptionsItem::Unchanged;
    return std::string_view("BIMSV").find(link[0]) != std::string_view::npos
               ? TLinkOptionsItem::Enabled
               : TLinkOptionsItem::Disabled;
}
