#include "foundation/func_color.h"

#include <gtest/gtest.h>

TEST(LevelColor, BandsDefaultsExtremesAndTheGreyLimit) {
    init_level_colors();
    // Each colour band at both of its ends; 47 is the grey limit of level 60.
    const std::pair<int, std::uint32_t> cases[] = {
        {68, 0x1525AA}, {67, 0x1525F8}, {65, 0x1525F8}, {64, 0x14B2FB}, {63, 0x14B2FB},
        {62, 0x1DFCFF}, {58, 0x1DFCFF}, {57, 0x3CE36B}, {48, 0x3CE36B}, {47, 0xE1D8C9}};
    for (auto [target, colour] : cases)
        EXPECT_EQ(level_color(60, target, 0x123456, true), colour) << target;
    EXPECT_EQ(level_color(35, 0, 0xFFFFFF, true), 0xFFFFFFu); // no level
    EXPECT_EQ(level_color(60, 99, 0xABCDEF, false), 0xABCDEFu);
    // A low player never sees grey; extreme levels do not overflow.
    for (int target = 1; target <= 99; ++target)
        EXPECT_NE(level_color(1, target, 0, true), level_grey) << target;
    EXPECT_EQ(level_color(INT32_MIN, INT32_MAX, 0, true), level_dark_red);
    EXPECT_EQ(level_color(INT32_MAX, INT32_MIN, 0, true), level_grey);
    // The grey limit rounds halves to even: 47.4, 0.1, 34.5, 77.5, -8.5 and 56.0.
    for (auto [level, grey] : {std::pair{60, 47}, {5, 0}, {45, 34}, {95, 78}, {-5, -8}, {70, 56}})
        EXPECT_EQ(grey_level(level), grey) << level;
}
