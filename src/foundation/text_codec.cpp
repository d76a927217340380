#include "foundation/text_codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdlib>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Code points of Windows-1252 bytes 0x80..0x9F; 0 where the byte is undefined.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

QString to_qstring(const std::string& cp1252) {
    QString out;
    out.reserve(static_cast<qsizetype>(cp1252.size()));
    for (char ch : cp1252) {
        auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0)
            out.append(QChar(kHigh[b - 0x80]));
        else
            out.append(QChar(static_cast<char16_t>(b)));
    }
    return out;
}

QString menu_caption(const std::string& text) {
    return to_qstring(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

std::string from_qstring(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar qc : text) {
        char16_t c = qc.unicode();
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        if (c >= 0x80 && c < 0xA0 && kHigh[c - 0x80] == 0) {
            out.push_back(static_cast<char>(c)); // undefined bytes travel unchanged
            continue;
        }
        char found = '?';
        for (int i = 0; i < 32; ++i) {
            if (kHigh[i] == c) {
                found = static_cast<char>(0x80 + i);
                break;
            }
        }
        out.push_back(found);
    }
    return out;
}

qsizetype first_non_cp1252(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 || (c >= 0xA0 && c < 0x100))
            continue;
        if (c < 0xA0 ? kHigh[c - 0x80] != 0 : std::find(kHigh, kHigh + 32, c) == kHigh + 32)
            return i;
    }
    return -1;
}

QString to_path(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string native_path(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string path_name(const std::string& cp1252) {
    return native_path(to_qstring(cp1252));
}

std::string path_text(const std::string& path) {
    return from_qstring(to_path(path));
}

QString name_caption(const std::string& name) {
    return to_path(name).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

std::string name_for_peers(const std::string& name) {
    const QString text = to_path(name);
    return first_non_cp1252(text) < 0 ? from_qstring(text) : text.toUtf8().toStdString();
}

std::string resolve_case(const std::string& path) {
    std::string done;
    size_t pos = 0;
    if (!path.empty() && path[0] == '/') {
        done = "/";
        pos = 1;
    }
    while (pos < path.size()) {
        const size_t end = std::min(path.find('/', pos), path.size());
        const std::string name = path.substr(pos, end - pos);
        pos = end;
        std::string found = name;
        if (!name.empty() && name != "." && name != ".." &&
            !QFileInfo::exists(to_path(done + name))) {
            const QString wanted = to_path(name);
            std::vector<std::string> matches;
            const QDir folder(to_path(done.empty() ? "." : done));
            for (const QString& entry : folder.entryList(QDir::AllEntries | QDir::Hidden |
                                                         QDir::System | QDir::NoDotAndDotDot))
                if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
                    matches.push_back(native_path(entry));
            if (matches.empty())
                return done + path.substr(end - name.size());
            found = *std::min_element(matches.begin(), matches.end());
        }
        done += found;
        if (pos < path.size()) {
            done += '/';
            ++pos;
        }
    }
    return done;
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    for_each_text_line(text, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

namespace {

// Hands a descriptor opened with O_NONBLOCK to the file, in blocking mode again, when it is a
// plain file; otherwise it is closed.
bool adopt_plain_file(int fd, QFile& file, QIODevice::OpenMode mode) {
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 ||
        !file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace

bool open_for_reading(const std::string& path, QFile& file) {
    // O_NONBLOCK: opening a FIFO with no writer would wait; checked before any read.
    return adopt_plain_file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY),
                            file, QIODevice::ReadOnly);
}

bool open_for_appending(const std::string& path, QFile& file) {
    // O_NONBLOCK: a FIFO without a reader is refused at once; O_NOFOLLOW: a link is refused. A
    // new file gets the usual mode, 0666 less the umask.
    return adopt_plain_file(
        ::open(path.c_str(),
               O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
               0666),
        file, QIODevice::WriteOnly | QIODevice::Append);
}

bool read_rest(QFile& file, std::string& out, size_t limit, bool& past_limit) {
    out.clear();
    past_limit = false;
    // One byte more than the limit tells whether the file holds more. The size the file has now
    // is read straight into place; a file that grows meanwhile is read on in small steps.
    const qint64 known = std::max<qint64>(file.size() - file.pos(), 0);
    const size_t wanted = limit == std::numeric_limits<size_t>::max() ? limit : limit + 1;
    out.resize(std::min(static_cast<size_t>(known), wanted));
    size_t used = 0;
    char step[4096];
    while (used < wanted) {
        const bool into_place = used < out.size();
        const size_t room = into_place ? out.size() - used : std::min(sizeof step, wanted - used);
        const qint64 n =
            file.read(into_place ? out.data() + used : step, static_cast<qint64>(room));
        if (n < 0) {
            out.clear();
            return false;
        }
        if (n == 0)
            break;
        if (!into_place)
            out.append(step, static_cast<size_t>(n));
        used += static_cast<size_t>(n);
    }
    out.resize(used);
    if (used > limit) {
        out.resize(limit);
        past_limit = true;
    }
    return true;
}

bool read_file(const std::string& path, std::string& out) {
    return read_file(path, out, std::numeric_limits<size_t>::max());
}

bool read_file(const std::string& path, std::string& out, size_t limit, bool* past_limit) {
    out.clear();
    QFile f;
    bool more = false;
    if (!open_for_reading(path, f) || !read_rest(f, out, limit, more))
        return false;
    if (past_limit)
        *past_limit = more;
    else if (more)
        out.clear();
    return past_limit || !more;
}

bool write_file_atomic(const std::string& path, const std::string& data) {
    QSaveFile f(to_path(path));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    // A write may only fill Qt's buffer, and commit() lets a failed final flush pass: flush here
    // so that a short write never replaces the old file.
    if (f.write(data.data(), static_cast<qint64>(data.size())) !=
            static_cast<qint64>(data.size()) ||
        !f.flush()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

namespace {

// The process's umask. /proc tells it without changing it; umask() reads it only by setting it.
mode_t current_umask() {
    std::string status;
    if (read_file("/proc/self/status", status)) {
        const size_t at = status.find("\nUmask:");
        if (at != std::string::npos)
            return static_cast<mode_t>(std::strtoul(status.c_str() + at + 7, nullptr, 8) & 0777);
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

bool take_target_mode(const std::string& written, const std::string& target) {
    struct stat st {};
    const mode_t mode = ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)
                            ? st.st_mode & 07777
                            : 0666 & ~current_umask();
    return ::chmod(written.c_str(), mode) == 0;
}

bool file_exists(const std::string& path) {
    QFileInfo fi(to_path(path));
    return fi.exists() && fi.isFile();
}

bool directory_exists(const std::string& path) {
    return QFileInfo(to_path(path)).isDir();
}
