#pragma once
// Small decisions of the program's start-up, kept apart from the window so they can be tested.

#include <string>

// Whether the update check runs by its period: period 0 always, 1 after a day, 2 after two
// days, 3 after seven days, anything else never. age: days since the last completed check.
bool update_due_by_period(int period, double age);

// The window caption of the main window and the first-run dialog.
inline constexpr const char* kWindowCaption = "Vev Karvelo  v1.06";
// The colour of the target marker (its alpha is replaced by the picture's brightness).
inline constexpr unsigned kTargetColour = 0xBBFFFFAA;
