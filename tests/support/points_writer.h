#pragma once
// Writer of the points database (section 9 of master.loc) for tests and the demo installation,
// laid out as database/points_reader.h reads it: the signature "WOWKV101", then items of one
// tag byte and the tag's value (u8, u16, u32, f64 or u16-length text, little-endian).
//
// By default: the signature; tags 200, 201 and 202 when set; then per point the tags 1, 2, 3,
// 4, 5, 6, 7, 11, 12, 13, 14, 20, 21, 22, 23 in that order (every field, zero or empty ones
// included) and tag 199; then tag 255.

#include "foundation/func_type.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace support {

struct PointSpec {
    std::string name{}; // Windows-1252
    uint16_t zone_id = 0;
    uint8_t category_id = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    uint16_t level_min = 0;
    uint16_t level_max = 0;
    TFlagSet flags{};
    uint32_t master_id = 0;
    std::string comment{};
    std::string link{};
    bool locked = false;
};

struct PointsHeader {
    std::optional<uint32_t> value1{}; // tag 200
    std::optional<uint32_t> value2{}; // tag 201
    std::optional<double> date{};     // tag 202, days since 1899-12-30
};

// Days since 1899-12-30 of a calendar date and time of day.
double date_time_value(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// Builds a points database item by item, in call order.
class PointsWriter {
public:
    // Starts with the signature (replace it with `signature` for damaged data).
    explicit PointsWriter(const std::string& signature = "WOWKV101");

    // Tags 200, 201 and 202, each only when given.
    PointsWriter& header(const PointsHeader& h);
    // One point record closed by tag 199. With `only_set_fields`, zero and empty fields are left
    // out (the reader must then take 0 or empty for them).
    PointsWriter& point(const PointSpec& p, bool only_set_fields = false);
    // The discarded tags 8, 9, 10, 15 and 24..30 with non-zero values (outside or inside a
    // record: they must change nothing).
    PointsWriter& discarded_items();
    // Tag 199 alone: closes a record with whatever was given since the previous one.
    PointsWriter& record_end() { return tag(199); }
    // Tag 255.
    PointsWriter& end() { return tag(255); }

    // Item helpers, also for hand-made and damaged data.
    PointsWriter& tag(uint8_t t) { return raw(std::string(1, static_cast<char>(t))); }
    PointsWriter& u8_item(uint8_t t, uint8_t v) { return tag(t).tag(v); }
    PointsWriter& u16_item(uint8_t t, uint16_t v);
    PointsWriter& u32_item(uint8_t t, uint32_t v);
    // Also a tag without meaning (0, 16..19, 31..198, 203..254) with its length and payload.
    PointsWriter& text_item(uint8_t t, const std::string& text);
    // A text or skipped item whose u16 length says `declared` while only `payload` follows
    // (an absurd length: it may run past the end of the data).
    PointsWriter& item_with_length(uint8_t t, uint16_t declared, const std::string& payload);
    // Bytes as they are.
    PointsWriter& raw(const std::string& bytes) {
        data_ += bytes;
        return *this;
    }

    const std::string& bytes() const { return data_; }

private:
    std::string data_;
};

// A complete points database: signature, header, the points, tag 255.
std::string points_section(const std::vector<PointSpec>& points, const PointsHeader& header = {});

// Link strings, laid out as the point editor writes them: hexadecimal fields in upper case,
// exactly as wide as the field, negative values in two's complement. Each throws
// std::out_of_range when a value does not fit its field.
//
// Route "V_" + 4 option characters + x0 (4) + y0 (4) + per step dx (4) + dy (4). The waypoints
// are zone-local positions in the point's own zone (they may run past 0..65535 into the
// neighbouring zones); step k holds dx = x[k] - x[k-1] and dy = y[k-1] - y[k] (y step
// subtracted), each a signed 16-bit value. At least one waypoint.
std::string route_link(const std::string& options, const std::vector<TPoint>& waypoints);
// Area letter ('S', 'I' or 'M') + "_" + X0 (8) + Y0 (8) + per step dx (4) + dy (4). The corners
// are world positions; the steps are formed as for routes. At least two corners.
std::string area_link(char letter, const std::vector<TPoint>& world_corners);
// Bridge "B_" + flag digit + own id (8) + target id (8, 0 for none).
std::string bridge_link(bool flag, uint32_t own_id, uint32_t target_id);

// A 128-flag set with the given flags (1..128) set.
TFlagSet flag_set(const std::vector<int>& flags);
inline TFlagSet flag_set(std::initializer_list<int> flags) {
    return flag_set(std::vector(flags));
}

} // namespace support
