#include "editing/point_edit.h"

#include "database/paths.h"
#include "foundation/errors.h"
#include "foundation/func_color.h"
#include "foundation/func_karvo.h"
#include "mainwindow/picking.h"

#include <algorithm>
#include <array>
#include <unordered_set>

namespace {

int32_t category_id_of(const TreeNode& point) {
    return point.data && point.data->category ? point.data->category->id : 0;
}

bool has_levels(const rCateg* category) {
    return category && (category->type == 1 || category->type == 2 || category->type == 4);
}

} // namespace

rnew_node addition_record(const TPointInput& input, TPoint at, pMap_info* zone, rCateg* category,
                          int32_t master_id, bool locked) {
    rnew_node r;
    r.x = at.x;
    r.y = at.y;
    r.name = input.name;
    r.zone_id = zone ? zone->zone_id : -1;
    r.category_id = input.category_id;
    r.comment = input.comment;
    r.level_min = input.level_min;
    r.level_max = input.level_max;
    r.flags = input.flags;
    r.master_id = master_id;
    r.link = input.link;
    r.locked = locked;
    r.has_item_data = true;
    r.owner_zone = zone;
    r.category = category;
    return r;
}

rnew_node point_record(const TreeNode& point, const std::string& link) {
    const rItemdata& item = *point.item();
    const TPointInput in{item.name,      item.comment,  item.flags, link, category_id_of(point),
                         item.level_min, item.level_max};
    return addition_record(in, {item.x, item.y}, point.data->owner_zone, point.data->category,
                           item.master_id, item.locked);
}

rnew_node deletion_entry(const TreeNode& point) {
    const rItemdata& item = *point.item();
    const TPointInput in{"@" + item.name, "", {}, "", category_id_of(point), 0, 0};
    return addition_record(in, {item.x, item.y}, point.data->owner_zone, point.data->category,
                           item.master_id, false);
}

TPoint free_position(const TreeNode* zone_node, TPoint pos) {
    if (!zone_node)
        return pos;
    std::unordered_set<uint32_t> taken;
    for (const auto& category : zone_node->children)
        for (const auto& point : category->children)
            if (const rItemdata* item = point->item())
                taken.insert(uint32_t(item->x) << 16 | item->y);
    TPoint p{int32_t(uint16_t(pos.x)), int32_t(uint16_t(pos.y))};
    for (uint32_t step = 0; step < 65536 && taken.count(uint32_t(p.x) << 16 | uint32_t(p.y));
         ++step)
        p.x = int32_t(uint16_t(p.x + 1));
    return p;
}

void copy_to_clipboard(TNodeDataCopy& copy, TreeNode* node) {
    rItemdata& c = *copy.item;
    if (node) {
        const rItemdata* item = node->item();
        if (!item)
            return;
        c.name = item->name;
        c.key = item->key;
        c.comment = item->comment;
        c.flags = item->flags;
        c.level_min = item->level_min;
        c.level_max = item->level_max;
        copy.category = node->data->category;
        copy.owner_zone = node->data->owner_zone;
        copy.item->command->code = item->command ? item->command->code : std::string();
    } else {
        c.name.clear();
        c.key.clear();
        c.comment.clear();
        c.flags = {};
        c.level_min = c.level_max = 0;
        copy.category = nullptr;
        copy.owner_zone = nullptr;
        copy.item->command->code.clear();
    }
    c.x = c.y = 0;
    c.master_id = 0;
    c.from_master = false;
    c.locked = false;
    copy.source_node = node;
}

rnew_node paste_record(const TNodeDataCopy& copy, pMap_info& zone, TPoint pos,
                       const TPointsTree& tree) {
    const rItemdata& c = *copy.item;
    std::string link = c.command ? c.command->code : std::string();
    // A bridge joins two given points: while a point holds the bridge's id, a second one
    // would make it lead to either.
    const rCommand command = decode_link(link, 0);
    if (command.kind == coIsBridge && bridge_end(tree, command.colour_a))
        link.clear();
    const TPointInput in{
        c.name,      c.comment,  c.flags, link, copy.category ? copy.category->id : 0,
        c.level_min, c.level_max};
    return addition_record(in, pos, &zone, copy.category, 0, c.locked);
}

int32_t first_id(const std::string& text) {
    try {
        return extract_id(text, true).id;
    } catch (const EConvertError&) {
        return 0;
    }
}

std::vector<TReferenceItem> reference_items(const std::string& comment, bool read_only) {
    std::vector<TReferenceItem> items;
    for (const std::string& name : comment_link_names(comment)) {
        TReferenceItem item;
        try {
            const rIdReturn id = extract_id(name, true);
            item.caption = id.text;
            item.tag = 256 + id.id;
            item.web = read_only && id.id >= 1;
        } catch (const EConvertError&) {
            item.caption = name;
        }
        items.push_back(std::move(item));
    }
    return items;
}

int point_input_fault(const std::string& trimmed_name, const std::string& default_name,
                      bool has_category, const std::vector<std::string>& comment_lines) {
    if (trimmed_name.empty() || trimmed_name == default_name)
        return 17;
    if (!has_category)
        return 62;
    if (trimmed_name.find_first_of("#|@") != std::string::npos)
        return 18;
    for (const std::string& line : comment_lines)
        if (line.find_first_of("|#") != std::string::npos)
            return 24;
    return 0;
}

int comment_length(const std::vector<std::string>& lines) {
    int length = 0;
    for (const std::string& line : lines)
        length += int(line.size());
    return lines.empty() ? 0 : length + 2 * int(lines.size() - 1);
}

bool same_point(const TreeNode& point, const TPointInput& input) {
    const rItemdata* item = point.item();
    const std::string link = item && item->command ? item->command->code : std::string();
    return item && input.name == item->name && input.comment == item->comment &&
           same_flagset(input.flags, item->flags) && input.link == link &&
           input.category_id == category_id_of(point) && input.level_min == item->level_min &&
           input.level_max == item->level_max;
}

TLevelRange level_band(int band, int32_t player, bool colouring) {
    const std::array<uint32_t, 6> colours = {level_grey,   level_green, level_yellow,
                                             level_orange, level_red,   level_dark_red};
    auto colour = [&](int32_t level) { return level_color(player, level, 0xFFFFFF, colouring); };
    TLevelRange range;
    bool found = false;
    for (int32_t level = 0; level <= 99; ++level) {
        if (!found) {
            if (colour(level) == colours[size_t(band)]) {
                range.min = level;
                found = true;
                if (band == 5) {
                    range.max = 99;
                    break;
                }
            }
        } else if (colour(level) == colours[size_t(band) + 1]) {
            range.max = level - 1;
            break;
        }
    }
    return range;
}

std::string name_for_category(const std::string& name_box, const std::string& default_name,
                              const rCateg& chosen, const std::vector<rCateg*>& categories) {
    const std::string n(trim_blanks(name_box));
    const bool is_default = std::any_of(categories.begin(), categories.end(), [&](rCateg* c) {
        return c->imposes_default_name && c->default_name == n;
    });
    if (chosen.imposes_default_name && (n.empty() || n == default_name || is_default))
        return chosen.default_name;
    if (!chosen.imposes_default_name && is_default)
        return default_name;
    return name_box;
}

int32_t apply_to_same_named(const TPointsTree& tree, const TreeNode* edit_node,
                            const std::string& key, const TSameNameChange& change,
                            const TPropertyColors* property_colors) {
    int32_t count = 0;
    for (TreeNode* node = tree.first(); node; node = TPointsTree::next(node)) {
        rItemdata* item = node->item();
        if (node->level != kLevelPoint || !item || item->locked || node == edit_node ||
            item->key != key || category_id_of(*node) != change.input.category_id)
            continue;
        const rCateg* category = node->data->category;
        if (change.name) {
            item->name = change.input.name;
            item->key = normalise_text(item->name);
        }
        if (change.comment)
            item->comment = change.input.comment;
        if (change.flags) {
            item->flags = change.input.flags;
            // Colours that come from the flags follow them at once.
            if (category && (category->type == 3 || category->type == 4))
                item->colour = flag_color(item->flags, category->colour, property_colors);
        }
        if (change.levels && has_levels(category)) {
            item->level_min = uint16_t(std::clamp(change.input.level_min, 0, 99));
            item->level_max = uint16_t(std::clamp(change.input.level_max, 0, 99));
        }
        item->from_master = false;
        ++count;
    }
    return count;
}
