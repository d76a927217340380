#include "mainwindow/startup.h"

#include "foundation/text_codec.h"
#include "mainwindow/preferences.h"

#include <QSysInfo>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

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

namespace {

// Whether the process is a live program of the folder. A pid comes round again, so a live one
// must also run a program file of that folder, where /proc tells.
bool runs_from_folder(pid_t pid, const std::string& app_folder) {
    // The lock is taken once, at start: one naming this very process is an earlier run's.
    if (pid == getpid())
        return false;
    if (kill(pid, 0) != 0 && errno == ESRCH)
        return false;
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::exists("/proc/self/exe", error))
        return true;
    char target[4096];
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    const ssize_t length = readlink(link.c_str(), target, sizeof target);
    if (length < 0)
        return errno == EACCES || errno == EPERM; // another user's process: no telling
    std::string program(target, size_t(length));
    // A program file replaced while it runs is still this folder's.
    constexpr std::string_view deleted = " (deleted)";
    if (program.ends_with(deleted))
        program.resize(program.size() - deleted.size());
    const fs::path folder = fs::canonical(fs::path(app_folder), error);
    return !error && fs::path(program).parent_path() == folder;
}

// Whether the lock file is held by a live copy of the program of the folder. Its lines are the
// process id, the program name and the host name, as QLockFile writes them.
bool held_by_live_copy(const std::string& path, const std::string& app_folder) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    std::string text(kLockFileCap + 1, '\0');
    ssize_t length = -1;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        length = read(fd, text.data(), text.size());
    close(fd);
    if (length <= 0 || size_t(length) > kLockFileCap)
        return false;
    text.resize(size_t(length));
    std::vector<std::string> lines;
    for (size_t from = 0; lines.size() < 3 && from <= text.size();) {
        const size_t end = std::min(text.find('\n', from), text.size());
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    const std::string& id = lines[0];
    if (id.empty() || id.size() > 9 ||
        !std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const pid_t pid = std::stoi(id);
    if (pid <= 0)
        return false;
    if (lines.size() >= 3 && !lines[2].empty() &&
        lines[2] != QSysInfo::machineHostName().toStdString())
        return true;
    return runs_from_folder(pid, app_folder);
}

} // namespace

bool lock_installation(const std::string& app_folder, std::unique_ptr<QLockFile>& lock) {
    const std::string path = app_folder + kLockFileName;
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0) {
        if (held_by_live_copy(path, app_folder))
            return false;
        // Stale; where it cannot go, no lock can be made either.
        if (unlink(path.c_str()) != 0)
            return true;
    }
    auto file = std::make_unique<QLockFile>(to_path(path));
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
