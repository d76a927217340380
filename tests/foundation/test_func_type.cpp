#include "foundation/errors.h"
#include "foundation/func_type.h"
#include "support/section_records.h"

#include <gtest/gtest.h>

TEST(SharedRecords, HostileZoneRecords) {
    std::string rec = support::zone_record({.name = "a", .image_name = "b"});
    ASSERT_EQ(rec.size(), pMap_info::record_size);
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
