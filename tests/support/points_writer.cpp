#include "support/points_writer.h"

#include "foundation/binary_io.h"
#include "foundation/func_karvo.h"

#include <QDate>

#include <cstdio>

namespace support {

double date_time_value(int year, int month, int day, int hour, int minute, int second) {
    const qint64 days = QDate(1899, 12, 30).daysTo(QDate(year, month, day));
    return static_cast<double>(days) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

PointsWriter::PointsWriter(const std::string& signature) : data_(signature) {}

PointsWriter& PointsWriter::header(const PointsHeader& h) {
    if (h.value1)
        u32_item(200, *h.value1);
    if (h.value2)
        u32_item(201, *h.value2);
    ByteWriter w;
    if (h.date)
        w.u8(202), w.f64(*h.date);
    return raw(w.data());
}

PointsWriter& PointsWriter::point(const PointSpec& p, bool only_set_fields) {
    const bool all = !only_set_fields;
    if (all || !p.name.empty())
        text_item(1, p.name);
    // Tags 2 to 7: the place and the levels, the category one byte wide.
    const uint16_t fields[] = {p.zone_id, p.category_id, p.x, p.y, p.level_min, p.level_max};
    for (uint8_t t = 2; t <= 7; ++t)
        if (all || fields[t - 2] != 0)
            t == 3 ? u8_item(t, p.category_id) : u16_item(t, fields[t - 2]);
    if (all || p.master_id != 0)
        u32_item(11, p.master_id);
    for (auto [t, text] : {std::pair{12, &p.comment}, {13, &p.link}})
        if (all || !text->empty())
            text_item(uint8_t(t), *text);
    if (all || p.locked)
        u8_item(14, p.locked ? 1 : 0);
    for (uint8_t word = 0; word < 4; ++word)
        if (all || p.flags.w[word] != 0)
            u32_item(static_cast<uint8_t>(20 + word), p.flags.w[word]);
    return record_end();
}

PointsWriter& PointsWriter::discarded_items() {
    for (uint8_t t : {8, 9, 10})
        u32_item(t, 0xA5A5A500u + t);
    u8_item(15, 0x5A);
    for (uint8_t t = 24; t <= 30; ++t)
        u32_item(t, 0xC3C3C300u + t);
    return *this;
}

PointsWriter& PointsWriter::u16_item(uint8_t t, uint16_t v) {
    ByteWriter w;
    w.u16(v);
    return tag(t).raw(w.data());
}

PointsWriter& PointsWriter::u32_item(uint8_t t, uint32_t v) {
    ByteWriter w;
    w.u32(v);
    return tag(t).raw(w.data());
}

PointsWriter& PointsWriter::text_item(uint8_t t, const std::string& text) {
    if (text.size() > 0xFFFF)
        throw std::length_error("a text item holds at most 65535 bytes");
    return item_with_length(t, static_cast<uint16_t>(text.size()), text);
}

PointsWriter& PointsWriter::item_with_length(uint8_t t, uint16_t declared,
                                             const std::string& payload) {
    return u16_item(t, declared).raw(payload);
}

std::string points_section(const std::vector<PointSpec>& points, const PointsHeader& header) {
    PointsWriter w;
    w.header(header);
    for (const PointSpec& p : points)
        w.point(p);
    return w.end().bytes();
}

namespace {

std::string hex_field(uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    return buffer;
}

std::string step_field(int64_t delta) {
    if (delta < -32768 || delta > 32767)
        throw std::out_of_range("a link step must fit in a signed 16-bit value");
    return hex_field(static_cast<uint16_t>(static_cast<int16_t>(delta)), 4);
}

std::string steps(const std::vector<TPoint>& points) {
    std::string out;
    for (size_t k = 1; k < points.size(); ++k)
        out += step_field(int64_t(points[k].x) - points[k - 1].x) +
               step_field(int64_t(points[k - 1].y) - points[k].y);
    return out;
}

} // namespace

std::string route_link(const std::string& options, const std::vector<TPoint>& waypoints) {
    if (options.size() != 4)
        throw std::out_of_range("a route has four option characters");
    if (waypoints.empty())
        throw std::out_of_range("a route has at least one waypoint");
    const TPoint first = waypoints.front();
    if (first.x < 0 || first.x > 0xFFFF || first.y < 0 || first.y > 0xFFFF)
        throw std::out_of_range("the first waypoint of a route lies inside the point's zone");
    return "V_" + options + hex_field(static_cast<uint32_t>(first.x), 4) +
           hex_field(static_cast<uint32_t>(first.y), 4) + steps(waypoints);
}

std::string area_link(char letter, const std::vector<TPoint>& world_corners) {
    if (world_corners.size() < 2)
        throw std::out_of_range("an area has at least two corners");
    return std::string(1, letter) + "_" +
           hex_field(static_cast<uint32_t>(world_corners.front().x), 8) +
           hex_field(static_cast<uint32_t>(world_corners.front().y), 8) + steps(world_corners);
}

std::string bridge_link(bool flag, uint32_t own_id, uint32_t target_id) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "B_%d%08X%08X", flag ? 1 : 0, own_id, target_id);
    return buffer;
}

TFlagSet flag_set(const std::vector<int>& flags) {
    std::array<bool, 128> bools{};
    for (int n : flags) {
        if (n < 1 || n > 128)
            throw std::out_of_range("flag numbers run from 1 to 128");
        bools[static_cast<size_t>(n - 1)] = true;
    }
    return bools_to_flagset(bools);
}

} // namespace support
