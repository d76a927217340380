#pragma once
// A temporary folder per test, removed with the object; a file size limit that makes writes fail;
// a umask for a while, and the mode of a file.

#include <QTemporaryDir>
#include <csignal>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

#include "foundation/text_codec.h"

class TempDir {
public:
    TempDir() { dir_.setAutoRemove(true); }
    // The folder path, ending with a separator.
    std::string path() const { return native_path(dir_.path()) + "/"; }
    std::string file(const std::string& name) const { return path() + name; }

private:
    QTemporaryDir dir_;
};

// The bytes of a file, empty when it cannot be read.
inline std::string file_text(const std::string& path) {
    std::string text;
    read_file(path, text);
    return text;
}

// While alive, writing a file beyond `bytes` fails, whatever the user's rights.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_), std::signal(SIGXFSZ, old_handler_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit old_ {};
    void (*old_handler_)(int) = nullptr;
};

// While alive, the process's umask is `mask`.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : old_(umask(mask)) {}
    ~ScopedUmask() { umask(old_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

// The permission bits of a file, 0 when it is missing.
inline mode_t file_mode(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}
