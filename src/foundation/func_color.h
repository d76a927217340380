#pragma once
// Level colours: how hard a target level is for the player, as an interface colour 0x00BBGGRR,
// and the alpha byte of an opacity digit.

#include <cstdint>

extern std::uint32_t level_grey;
extern std::uint32_t level_green;
extern std::uint32_t level_yellow;
extern std::uint32_t level_orange;
extern std::uint32_t level_red;
extern std::uint32_t level_dark_red;

// Sets the six level colours.
void init_level_colors();

// The colour of a target level for the player: the default colour for target 0 or when
// colouring is off.
std::uint32_t level_color(std::int32_t player, std::int32_t target, std::uint32_t default_color,
                          bool enabled);

// The highest target level still shown grey: Round(player * 0.86 - 4.2), halves to even.
std::int32_t grey_level(std::int32_t player);

// The alpha of an opacity digit 0..8 in the top byte (0xFF000000 for any other value).
std::uint32_t level_alpha(int digit);
