#include "foundation/binary_io.h"
#include "foundation/func_type.h"

#include <gtest/gtest.h>

namespace {

std::string zone_record(const std::string& name, const std::string& image, int16_t zone_id,
                        int16_t continent_id, uint8_t no_image) {
    ByteWriter w;
    w.short_string(name, 30);
    w.short_string(image, 16);
    w.i16(zone_id);
    w.i16(continent_id);
    w.u8(7); // zone class
    w.u8(3); // tree icon
    w.u16(0xBEEF);
    w.i32(-120000);
    w.i32(45000);
    w.u8(no_image);
    w.bytes(std::string(27, '\xAA'));
    return w.data();
}

} // namespace

TEST(SharedRecords, ZoneRecordFillsEveryReadField) {
    std::string rec = zone_record("Elwynn", "elwynn", -3, 2, 1);
    ASSERT_EQ(rec.size(), pMap_info::record_size);
    pMap_info z(rec);
    EXPECT_EQ(std::make_tuple(z.name, z.image_name, z.zone_id, z.continent_id),
              std::make_tuple("Elwynn", "elwynn", -3, 2));
    EXPECT_EQ(std::make_tuple(z.zone_class, z.tree_icon, z.origin_x, z.origin_y),
              std::make_tuple(7, 3, -120000, 45000));
    EXPECT_TRUE(z.no_image);

    rec[64] = 0;
    EXPECT_FALSE(pMap_info(rec).no_image);
}

TEST(SharedRecords, HostileZoneRecords) {
    std::string rec = zone_record("a", "b", 1, 1, 0);
    rec[0] = '\xFF'; // length byte beyond the 30-character field
    rec[31] = '\xFF';
    pMap_info z(rec);
    EXPECT_EQ(z.name.size(), 30u);
    EXPECT_EQ(z.image_name.size(), 16u);
    EXPECT_THROW(pMap_info(std::string_view(rec).substr(0, 91)), EInOutError);
}

TEST(SharedRecords, SearchAreaClearResetsAllButCommandKind) {
    TSearchArea s;
    rCateg c;
    s.text = s.key = "x";
    s.level_from = s.level_to = s.scroll_offset = 33;
    s.flags_indifferent = TFlagSet{};
    s.flags_present.w[2] = s.flags_absent.w[0] = 1;
    s.zone_classes.set(200);
    s.expanded_groups.set(3);
    s.expanded_roots = s.criteria = 0x7F;
    s.categories.push_back(&c);
    s.regions.push_back(nullptr);
    s.command_kind = coIsBridge;
    s.Clear();
    for (uint32_t w : s.flags_indifferent.w)
        EXPECT_EQ(w, 0xFFFFFFFFu);
    EXPECT_EQ(s.flags_present, TFlagSet{});
    EXPECT_EQ(s.flags_absent, TFlagSet{});
    EXPECT_TRUE(s.text.empty() && s.key.empty());
    EXPECT_EQ(s.level_from, 5);
    EXPECT_EQ(s.level_to, 5);
    EXPECT_TRUE(s.zone_classes.none() && s.expanded_groups.none());
    EXPECT_EQ(s.expanded_roots + s.scroll_offset + s.criteria, 0);
    EXPECT_TRUE(s.categories.empty() && s.regions.empty());
    EXPECT_EQ(s.command_kind, coIsBridge);
}
