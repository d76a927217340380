#include "foundation/func_color.h"

#include <gtest/gtest.h>

TEST(LevelColor, BoundariesForPlayerSixty) {
    init_level_colors();
    const std::uint32_t def = 0x123456;
    EXPECT_EQ(level_color(60, 68, def, true), 0x1525AAu); // d = 8
    EXPECT_EQ(level_color(60, 67, def, true), 0x1525F8u); // d = 7
    EXPECT_EQ(level_color(60, 65, def, true), 0x1525F8u); // d = 5
    EXPECT_EQ(level_color(60, 64, def, true), 0x14B2FBu); // d = 4
    EXPECT_EQ(level_color(60, 63, def, true), 0x14B2FBu); // d = 3
    EXPECT_EQ(level_color(60, 62, def, true), 0x1DFCFFu); // d = 2
    EXPECT_EQ(level_color(60, 58, def, true), 0x1DFCFFu); // d = -2
    EXPECT_EQ(level_color(60, 57, def, true), 0x3CE36Bu); // d = -3, above the grey limit 47
    EXPECT_EQ(level_color(60, 48, def, true), 0x3CE36Bu);
    EXPECT_EQ(level_color(60, 47, def, true), 0xE1D8C9u);
    EXPECT_EQ(level_color(60, -5, def, true), 0xE1D8C9u);
}

TEST(LevelColor, DefaultForNoLevelOrColouringOff) {
    for (int player : {1, 35, 70})
        EXPECT_EQ(level_color(player, 0, 0xFFFFFF, true), 0xFFFFFFu);
    for (int target : {1, 30, 99})
        EXPECT_EQ(level_color(60, target, 0xABCDEF, false), 0xABCDEFu);
}

TEST(LevelColor, LowPlayerNeverSeesGrey) {
    EXPECT_EQ(grey_level(1), -3);
    EXPECT_EQ(level_color(1, 1, 0, true), level_yellow);
    for (int target = 4; target <= 99; ++target) {
        std::uint32_t c = level_color(1, target, 0, true);
        EXPECT_NE(c, level_grey) << target;
    }
}

TEST(LevelColor, ExtremeLevelsDoNotOverflow) {
    EXPECT_EQ(level_color(INT32_MIN, INT32_MAX, 0, true), level_dark_red);
    EXPECT_EQ(level_color(INT32_MAX, INT32_MIN, 0, true), level_grey);
}

TEST(GreyLevel, RoundsHalvesToEven) {
    EXPECT_EQ(grey_level(60), 47); // 47.4
    EXPECT_EQ(grey_level(10), 4);  // 4.4
    EXPECT_EQ(grey_level(5), 0);   // 0.1
    EXPECT_EQ(grey_level(45), 34); // 34.5
    EXPECT_EQ(grey_level(95), 78); // 77.5
    EXPECT_EQ(grey_level(-5), -8); // -8.5
    EXPECT_EQ(grey_level(70), 56); // 56.0
}

TEST(LevelAlpha, DigitTable) {
    const std::uint32_t expected[] = {0x33, 0x55, 0x66, 0x88, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE};
    for (int d = 0; d <= 8; ++d)
        EXPECT_EQ(level_alpha(d), expected[d] << 24) << d;
    EXPECT_EQ(level_alpha(9), 0xFF000000u);
    EXPECT_EQ(level_alpha(-1), 0xFF000000u);
    EXPECT_EQ(level_alpha(INT32_MIN), 0xFF000000u);
}
