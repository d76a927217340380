#pragma once
// Small decisions of the program's start-up, kept apart from the window so they can be tested.

#include <QLockFile>

#include <memory>
#include <string>

// Whether the update check runs by its period: period 0 always, 1 after a day, 2 after two
// days, 3 after seven days, anything else never. age: days since the last completed check.
bool update_due_by_period(int period, double age);

// The window caption of the main window and the first-run dialog.
inline constexpr const char* kWindowCaption = "Vev Karvelo  v1.06";
// The colour of the target marker (its alpha is replaced by the picture's brightness).
inline constexpr unsigned kTargetColour = 0xBBFFFFAA;

// The lock file that keeps a second copy of the program off one installation.
inline constexpr const char* kLockFileName = "vevkarvelo.lock";

// A lock file holds a process id, a program name and a host name: anything longer is no lock.
inline constexpr size_t kLockFileCap = 4096;

// Takes the lock of the installation in app_folder (ending with "/"). False when a running copy
// of the program of that folder holds it. A lock naming no live process, or a process of another
// folder, or one that cannot be read or is no lock at all, is taken over; a lock made on another
// host cannot be checked and is kept. Otherwise `lock` holds it until destroyed, or stays empty
// where no lock file can be made (the start is not refused then).
bool lock_installation(const std::string& app_folder, std::unique_ptr<QLockFile>& lock);

// The interface language stored in the installation's pref.ini; empty when there is none.
std::string stored_language(const std::string& app_folder);
