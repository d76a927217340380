#include "support/section_records.h"

#include "foundation/binary_io.h"

#include <QBuffer>
#include <QPainter>

#include <cstdio>

namespace support {

namespace {

void pad_to(ByteWriter& w, size_t size) {
    if (w.data().size() < size)
        w.bytes(std::string(size - w.data().size(), '\0'));
}

std::string category_record(const CategorySpec& c) {
    ByteWriter w;
    w.short_string(c.name, 20);
    w.u8(c.id);
    w.u8(c.tree_icon);
    w.u8(c.type);
    w.i32(c.colour);
    w.i32(c.icon_index);
    w.u8(c.imposes_default_name ? 1 : 0);
    w.short_string(c.default_name, 20);
    w.u8(c.shown ? 1 : 0);
    w.u8(c.link_target ? 1 : 0);
    w.u8(c.detail_level);
    w.u8(c.style);
    w.short_string(c.font_name, 20);
    w.u8(c.font_size);
    w.short_string(c.id_link_prefix, 80);
    w.u8(c.region_pass);
    w.u8(c.comment_tens);
    pad_to(w, 188);
    return w.data();
}

} // namespace

std::string zone_class_record(const ZoneClassSpec& z) {
    ByteWriter w;
    w.short_string(z.name, 43);
    w.u32(z.class_id);
    w.u32(z.image_index);
    pad_to(w, 64);
    return w.data();
}

std::string continent_record(const ContinentSpec& c) {
    ByteWriter w;
    w.i16(c.id);
    w.u8(0);
    w.u8(c.tree_icon);
    w.u16(c.whole_zone_id);
    pad_to(w, 12);
    w.short_string(c.name, 40);
    w.u8(c.in_menu ? 1 : 0);
    pad_to(w, 80);
    return w.data();
}

std::string zone_record(const ZoneSpec& z) {
    ByteWriter w;
    w.short_string(z.name, 30);
    w.short_string(z.image_name, 16);
    w.i16(z.zone_id);
    w.i16(z.continent_id);
    w.u8(z.zone_class);
    w.u8(z.tree_icon);
    pad_to(w, 56);
    w.i32(z.origin_x);
    w.i32(z.origin_y);
    w.u8(z.no_image ? 1 : 0);
    pad_to(w, 92);
    return w.data();
}

std::string map_section(const std::vector<ZoneClassSpec>& classes,
                        const std::vector<ContinentSpec>& continents,
                        const std::vector<ZoneSpec>& zones) {
    ByteWriter w;
    w.i32(static_cast<int32_t>(classes.size()));
    for (const auto& z : classes)
        w.bytes(zone_class_record(z));
    w.i32(static_cast<int32_t>(continents.size()));
    for (const auto& c : continents)
        w.bytes(continent_record(c));
    for (const auto& z : zones)
        w.bytes(zone_record(z));
    return w.data();
}

std::string category_section(const std::vector<CategorySpec>& categories) {
    std::string out;
    for (const auto& c : categories)
        out += category_record(c);
    return out;
}

std::string property_section(const std::vector<PropertySpec>& properties) {
    std::string out = "# flag group colour name\r\n";
    for (const auto& p : properties) {
        char head[32];
        std::snprintf(head, sizeof head, "%3d %3d %06X ", p.flag_id, p.group,
                      static_cast<unsigned>(p.colour) & 0xFFFFFFu);
        out += head + p.name + "\r\n";
    }
    return out + "@eof\r\n";
}

QImage icon_strip(int size, const std::vector<QColor>& colours, int count) {
    QImage strip(size * count, size, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter p(&strip);
    for (int i = 0; i < count; ++i)
        p.fillRect(i * size, 0, size - 1, size, colours[static_cast<size_t>(i) % colours.size()]);
    return strip;
}

std::string bmp_bytes(const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
    return std::string(data.constData(), static_cast<size_t>(data.size()));
}

std::string catpref_record(const CatprefSpec& c) {
    ByteWriter w;
    w.u8(c.id);
    w.bytes(std::string(3, '\0'));
    w.i32(c.colour);
    w.i32(c.icon_index);
    w.u8(c.shown ? 1 : 0);
    w.u8(c.style);
    w.short_string(c.font_name, 40);
    w.u8(c.font_size);
    return w.data();
}

std::string catpref_file(const std::vector<CatprefSpec>& records) {
    std::string out;
    for (const auto& r : records)
        out += catpref_record(r);
    return out;
}

} // namespace support
