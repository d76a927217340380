#include "foundation/func_color.h"

#include <cmath>

std::uint32_t level_grey = 0xE1D8C9;
std::uint32_t level_green = 0x3CE36B;
std::uint32_t level_yellow = 0x1DFCFF;
std::uint32_t level_orange = 0x14B2FB;
std::uint32_t level_red = 0x1525F8;
std::uint32_t level_dark_red = 0x1525AA;

void init_level_colors() {
    level_grey = 0xE1D8C9;
    level_green = 0x3CE36B;
    level_yellow = 0x1DFCFF;
    level_orange = 0x14B2FB;
    level_red = 0x1525F8;
    level_dark_red = 0x1525AA;
}

std::uint32_t level_color(std::int32_t player, std::int32_t target, std::uint32_t default_color,
                          bool enabled) {
    if (target == 0 || !enabled)
        return default_color;
    std::int64_t d = static_cast<std::int64_t>(target) - player;
    if (d >= 8)
        return level_dark_red;
    if (d >= 5)
        return level_red;
    if (d >= 3)
        return level_orange;
    if (d >= -2)
        return level_yellow;
    if (target <= grey_level(player))
        return level_grey;
    return level_green;
}

std::int32_t grey_level(std::int32_t player) {
    // Extended precision; an exact half (45 gives 34.5) goes to the even neighbour.
    long double limit = static_cast<long double>(player) * 0.86L - 4.2L;
    return static_cast<std::int32_t>(std::nearbyint(limit));
}

std::uint32_t level_alpha(int digit) {
    static constexpr std::uint32_t alphas[9] = {0x33, 0x55, 0x66, 0x88, 0xAA,
                                                0xBB, 0xCC, 0xDD, 0xEE};
    std::uint32_t alpha = (digit >= 0 && digit <= 8) ? alphas[digit] : 0xFF;
    return alpha << 24;
}
