#include "database/paths.h"

#include "foundation/func_karvo.h"
#include "mainwindow/map_view.h"

#include <algorithm>

namespace {

// `width` hexadecimal digits from 0-based position `at`; false on any other character.
bool read_hex(std::string_view text, size_t at, size_t width, uint32_t& value) {
    if (at + width > text.size())
        return false;
    value = 0;
    for (size_t i = at; i < at + width; ++i) {
        const int d = hex_digit(text[i]);
        if (d < 0)
            return false;
        value = value << 4 | uint32_t(d);
    }
    return true;
}

// The steps from 0-based position `at` to the end, applied from `start`: x plus dx, y minus dy,
// each read as a signed 16-bit value.
bool read_steps(std::string_view text, size_t at, TPoint start, std::vector<TPoint>& points) {
    TPoint p = start;
    for (; at + 8 <= text.size(); at += 8) {
        uint32_t dx = 0;
        uint32_t dy = 0;
        if (!read_hex(text, at, 4, dx) || !read_hex(text, at + 4, 4, dy))
            return false;
        // Wrapping sums: a long hostile string never overflows.
        p.x = int32_t(uint32_t(p.x) + uint32_t(int32_t(int16_t(uint16_t(dx)))));
        p.y = int32_t(uint32_t(p.y) - uint32_t(int32_t(int16_t(uint16_t(dy)))));
        points.push_back(p);
    }
    return true;
}

// The zone record of a node when it belongs to `zone` (same zone id).
bool in_zone(const TreeNode* node, const pMap_info& zone) {
    const pMap_info* owner = node->data ? node->data->owner_zone : nullptr;
    return owner && (owner == &zone || owner->zone_id == zone.zone_id);
}

const std::string* link_code(const rItemdata* item, uint8_t kind) {
    return item && item->command && item->command->kind == kind ? &item->command->code : nullptr;
}

} // namespace

bool path_length_ok(size_t length) {
    return length >= 14 && (length - 6) % 8 == 0;
}

bool area_length_ok(size_t length) {
    return length >= 26 && (length - 18) % 8 == 0;
}

bool decode_path(const rItemdata& item, const pMap_info& zone, rwpitem& path) {
    const std::string* code = link_code(&item, coIsWp);
    if (!code || !path_length_ok(code->size()))
        return false;
    uint32_t x0 = 0;
    uint32_t y0 = 0;
    if (!read_hex(*code, 6, 4, x0) || !read_hex(*code, 10, 4, y0))
        return false;
    std::vector<TPoint> points;
    points.reserve((code->size() - 6) / 8 + 1);
    points.push_back(worldmaptoworld({item.x, item.y}, zone));
    points.push_back(worldmaptoworld({int32_t(x0), int32_t(y0)}, zone));
    if (!read_steps(*code, 14, points.back(), points))
        return false;
    path.first_colour = color_to_color32(item.colour, item.command->colour_a);
    path.points = std::move(points);
    return true;
}

bool decode_area(const rItemdata& item, rwpitem& area) {
    const std::string* code = link_code(&item, coIsPoly);
    if (!code || !area_length_ok(code->size()))
        return false;
    uint32_t x0 = 0;
    uint32_t y0 = 0;
    if (!read_hex(*code, 2, 8, x0) || !read_hex(*code, 10, 8, y0))
        return false;
    std::vector<TPoint> points;
    points.reserve((code->size() - 18) / 8 + 1);
    points.push_back({int32_t(x0), int32_t(y0)});
    if (!read_steps(*code, 18, points.back(), points))
        return false;
    area.first_colour = item.command->colour_a;
    area.second_colour = item.command->colour_b;
    area.points = std::move(points);
    return true;
}

void area_bounds(rwpitem& area) {
    if (area.points.size() < 2)
        return;
    area.min_x = area.max_x = area.points.front().x;
    area.min_y = area.max_y = area.points.front().y;
    for (const TPoint& p : area.points) {
        area.min_x = std::min(area.min_x, p.x);
        area.min_y = std::min(area.min_y, p.y);
        area.max_x = std::max(area.max_x, p.x);
        area.max_y = std::max(area.max_y, p.y);
    }
}

bool build_area(const TNodeData& data, rwpitem& area) {
    if (!data.item)
        return false;
    rwpitem decoded;
    if (!decode_area(*data.item, decoded))
        return false;
    area.node = nullptr;
    area.item = nullptr;
    area.category = nullptr;
    area.first_colour = decoded.first_colour;
    area.second_colour = decoded.second_colour;
    area.points = std::move(decoded.points);
    area_bounds(area);
    return true;
}

void build_paths(const std::vector<pMap_info*>& zones, std::vector<rwpitem>& paths) {
    paths.clear();
    for (const pMap_info* zone : zones) {
        if (!zone->tree_node)
            continue;
        for (TreeNode* n = zone->tree_node->first_child(); n && in_zone(n, *zone);
             n = TPointsTree::next(n)) {
            if (n->level != kLevelPoint || !n->visible || n->check != TCheckState::Checked)
                continue;
            rItemdata* item = n->item();
            if (!link_code(item, coIsWp))
                continue;
            rwpitem path;
            path.node = n;
            path.item = item;
            path.category = n->data->category;
            if (decode_path(*item, *zone, path))
                paths.push_back(std::move(path));
        }
    }
}

std::vector<std::string> comment_link_names(std::string_view comment) {
    enum class State { Outside, Inside, Closed };
    std::vector<std::string> names;
    State state = State::Outside;
    std::string name;
    for (const char c : trim_blanks(comment)) {
        if (c == '{') {
            if (state == State::Inside)
                name.clear();
            state = State::Inside;
        } else if (c == '}') {
            state = state == State::Inside ? State::Closed : State::Outside;
        } else if (state == State::Inside) {
            name += c;
        }
        if (state == State::Closed && !name.empty()) {
            names.push_back(std::move(name));
            name.clear();
            state = State::Outside;
        }
    }
    return names;
}

rMapLine overview_line(const TreeNode* source, const TreeNode* target) {
    auto world = [](const TreeNode* n) {
        const rItemdata* item = n->item();
        const pMap_info* zone = node_zone(n);
        return item && zone ? worldmaptoworld({item->x, item->y}, *zone) : TPoint{};
    };
    const TPoint a = world(source);
    const TPoint b = world(target);
    const rItemdata* item = source->item();
    return {a.x, a.y, b.x, b.y, opaque_color32(item ? item->colour : 0)};
}

void walk_link_sources(const std::vector<pMap_info*>& zones,
                       const std::function<void(TreeNode*, const std::string&)>& on_comment) {
    for (const pMap_info* zone : zones) {
        if (!zone->tree_node)
            continue;
        for (TreeNode* n = zone->tree_node->first_child(); n && in_zone(n, *zone);) {
            if (n->level == kLevelCategory && n->data->category &&
                !n->data->category->link_target) {
                n = TPointsTree::next_after_subtree(n);
                continue;
            }
            if (n->level == kLevelPoint && n->visible && n->check == TCheckState::Checked &&
                n->item())
                on_comment(n, n->item()->comment);
            n = TPointsTree::next(n);
        }
    }
}
