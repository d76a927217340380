#include "foundation/func_type.h"

#include "foundation/binary_io.h"

pMap_info::pMap_info(std::string_view record) {
    if (record.size() < record_size)
        throw EInOutError("zone record too short");
    ByteReader r(record.substr(0, record_size));
    name = r.short_string(30);
    image_name = r.short_string(16);
    zone_id = r.i16();
    continent_id = r.i16();
    zone_class = r.u8();
    tree_icon = r.u8();
    r.skip(2);
    origin_x = r.i32();
    origin_y = r.i32();
    no_image = r.u8() != 0;
    in_view = true;
}

void TSearchArea::Clear() {
    criteria = 0;
    text.clear();
    key.clear();
    zone_classes.reset();
    flags_indifferent.w.fill(0xFFFFFFFFu);
    flags_present = TFlagSet{};
    flags_absent = TFlagSet{};
    regions.clear();
    categories.clear();
    expanded_roots = 0;
    scroll_offset = 0;
    expanded_groups.reset();
    level_from = 5;
    level_to = 5;
}
