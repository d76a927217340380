#include "mainwindow/startup.h"

#include "foundation/text_codec.h"
#include "mainwindow/preferences.h"

bool update_due_by_period(int period, double age) {
    switch (period) {
    case 0:
        return true;
    case 1:
        return age >= 1.0;
    case 2:
        return age >= 2.0;
    case 3:
        return age >= 7.0;
    default:
        return false;
    }
}

bool lock_installation(const std::string& app_folder, std::unique_ptr<QLockFile>& lock) {
    auto file = std::make_unique<QLockFile>(to_path(app_folder + kLockFileName));
    // Only a lock whose process is gone is stale, however long the other copy has been running.
    file->setStaleLockTime(0);
    if (file->tryLock(0)) {
        lock = std::move(file);
        return true;
    }
    return file->error() != QLockFile::LockFailedError;
}

std::string stored_language(const std::string& app_folder) {
    TPreference pref;
    TOutsideSettings outside;
    const std::string path = app_folder + pref_file_name;
    if (file_exists(path))
        read_preferences(path, pref, outside, nullptr);
    return outside.language;
}
