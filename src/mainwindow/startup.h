#pragma once
// Small decisions of the program's start-up, kept apart from the window so they can be tested.

#include <string>

// The current local date and time as days since 1899-12-30.
double now_datetime();

// Whether the update check runs by its period: period 0 always, 1 after a day, 2 after two
// days, 3 after seven days, anything else never. age: days since the last completed check.
bool update_due_by_period(int period, double age);

// The installation folder of a program file path: the folder, ending with "/".
std::string folder_of(const std::string& file_path);

// The window caption of the main window and the first-run dialog.
inline constexpr const char* kWindowCaption = "Vev Karvelo  v1.06";
// The colour of the target marker (its alpha is replaced by the picture's brightness).
inline constexpr unsigned kTargetColour = 0xBBFFFFAA;
