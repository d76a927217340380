#include "foundation/node_data.h"

#include "foundation/errors.h"
#include "foundation/func_color.h"
#include "foundation/func_karvo.h"

#include <algorithm>

namespace {

// The decimal digit at 1-based position `pos`.
int digit_at(const std::string& text, size_t pos) {
    if (text.size() < pos || text[pos - 1] < '0' || text[pos - 1] > '9')
        throw EConvertError("'" + text + "' has no digit at position " + std::to_string(pos));
    return text[pos - 1] - '0';
}

// The 8 hexadecimal digits from 1-based position `pos` as one 32-bit number.
uint32_t hex8_at(const std::string& text, size_t pos) {
    if (text.size() < pos + 7)
        throw EConvertError("'" + text + "' is too short for a hexadecimal field");
    uint32_t value = 0;
    for (size_t i = pos - 1; i < pos + 7; ++i) {
        char c = text[i];
        int d = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                         : -1;
        if (d < 0)
            throw EConvertError("'" + text + "' is not a valid hexadecimal field");
        value = value << 4 | uint32_t(d);
    }
    return value;
}

} // namespace

void reset_command(rCommand& command) {
    command.kind = coUnknown;
    command.value = 0;
    command.colour_a = 0;
    command.colour_b = 0;
    command.code.clear();
}

rCommand decode_link(const std::string& link, TColor colour) {
    rCommand c;
    reset_command(c);
    const char letter = link.empty() ? '\0' : link.front();
    switch (letter) {
    case 'V':
        c.kind = coIsWp;
        c.value = uint8_t(digit_at(link, 3));
        c.colour_a = level_alpha(digit_at(link, 5));
        break;
    case 'S':
        c.kind = coIsPoly;
        c.colour_a = color_to_color32(colour, 0x33000000);
        c.colour_b = color_to_color32(colour, 0xDD000000);
        break;
    case 'I':
        c.kind = coIsPoly;
        c.value = 1;
        break;
    case 'M':
        c.kind = coIsPoly;
        c.value = 2;
        c.colour_a = 0xFE333333;
        c.colour_b = 0xFE333333;
        break;
    case 'B':
        c.kind = coIsBridge;
        c.value = uint8_t(digit_at(link, 3));
        c.colour_a = hex8_at(link, 4);
        c.colour_b = hex8_at(link, 12);
        break;
    default:
        break;
    }
    if (letter != 'J' && link != "RC")
        c.code = link;
    return c;
}

TColor flag_color(const TFlagSet& flags, TColor default_color, const TPropertyColors* colors) {
    if (colors)
        for (auto it = colors->rbegin(); it != colors->rend(); ++it)
            if (test_flag(flags, it->flag_id))
                return it->colour;
    return default_color;
}

TNodeData::TNodeData(const rnew_node& request, const TPropertyColors* property_colors)
    : owner_continent(request.owner_continent), owner_zone(request.owner_zone),
      category(request.category) {
    if (!request.has_item_data)
        return;
    auto data = std::make_unique<rItemdata>();
    data->name = request.name;
    data->key = normalise_text(request.name);
    data->x = uint16_t(request.x);
    data->y = uint16_t(request.y);
    data->master_id = request.master_id;
    data->comment = request.comment;
    data->from_master = request.from_master;
    data->flags = request.flags;
    data->locked = request.locked;
    auto clamp_level = [](int32_t v) { return uint16_t(std::max(0, std::min(v, 99))); };
    if (category) {
        if (category->comment_limit == 0)
            data->comment.clear();
        data->colour = (category->type == 3 || category->type == 4)
                           ? flag_color(data->flags, category->colour, property_colors)
                           : category->colour;
        if (category->type == 1 || category->type == 2 || category->type == 4) {
            data->level_min = clamp_level(request.level_min);
            data->level_max = clamp_level(request.level_max);
        }
    }
    if (!request.link.empty())
        data->command = decode_link(request.link, data->colour);
    item = std::move(data);
}

std::unique_ptr<TNodeDataCopy> new_clipboard_copy() {
    rnew_node r;
    r.is_copy = 1;
    r.category_id = 1;
    r.link = "RC";
    r.has_item_data = true;
    return std::make_unique<TNodeDataCopy>(r, nullptr);
}

TRealm_info::TRealm_info(const std::string& master)
    : map_data(std::make_unique<TData_map>(master)) {}
