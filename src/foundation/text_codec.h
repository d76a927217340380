#pragma once
// Windows-1252 texts of the core and their QString form at the widget boundary,
// plus the small file helpers every reader and writer shares.

#include <QString>
#include <string>
#include <string_view>
#include <vector>

class QFile;

// Windows-1252 bytes to QString and back. Characters without a Windows-1252 code become '?'.
QString to_qstring(const std::string& cp1252);
std::string from_qstring(const QString& text);
// A menu item's or button's caption that shows the text as it stands: "&" makes no mnemonic.
QString menu_caption(const std::string& text);
// The position of the first character that Windows-1252 cannot hold, -1 when there is none.
qsizetype first_non_cp1252(const QString& text);

// File paths are std::strings of the file system's own bytes (UTF-8 on Linux), not texts.
// A path as QString, and a QString path (from Qt or a file chooser) as a path.
QString to_path(const std::string& path);
std::string native_path(const QString& path);
// A Windows-1252 name (a database folder, a zone, a language) as a path component.
std::string path_name(const std::string& cp1252);
// A path as a Windows-1252 text, for messages and texts that are stored as such.
std::string path_text(const std::string& path);

// Names kept in the file system's bytes (a database folder): as a menu item's caption, whole
// whatever its script ("&" makes no mnemonic), and in the bytes sent to a server: Windows-1252
// when it has a byte for every character (what servers know such a name by), else UTF-8.
QString name_caption(const std::string& name);
std::string name_for_peers(const std::string& name);

// The path as the file system holds it, resolved one component at a time as Windows finds
// files: the exact name first, else the first name in byte order of its folder that differs
// only in letter case. Components from the first one found neither way stay as given.
std::string resolve_case(const std::string& path);

// Splits a text into lines at CR LF, LF or CR. A last line without a line end counts;
// a text ending with a line end has no empty line after it.
std::vector<std::string> split_lines(const std::string& text);

// Calls `line` for each line of the text (CR LF, LF or CR ends), without copying the text.
template <typename F> void for_each_text_line(std::string_view text, F&& line) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            line(text.substr(start));
            return;
        }
        line(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
}

// Opens a plain file for reading without ever waiting on another program: a FIFO, a device, a
// socket or a folder is refused. False when the path is no plain file or cannot be opened.
bool open_for_reading(const std::string& path, QFile& file);

// Opens a plain file for appending, creating it when missing, without ever waiting on another
// program: a FIFO, a device, a socket, a folder or a symbolic link is refused. False when the
// path is no plain file or cannot be opened.
bool open_for_appending(const std::string& path, QFile& file);

// Reads a whole plain file (opened as open_for_reading does) in one copy. Returns false when it
// cannot be opened or read.
bool read_file(const std::string& path, std::string& out);
// The same within `limit` bytes. A longer file is refused (false, `out` empty) unless
// `past_limit` is given: `out` then holds its first `limit` bytes and `*past_limit` is set.
bool read_file(const std::string& path, std::string& out, size_t limit, bool* past_limit = nullptr);
// The bytes that remain in an opened file, up to `limit`; `past_limit` set when it holds more.
// False on a read error.
bool read_rest(QFile& file, std::string& out, size_t limit, bool& past_limit);

// Writes a whole file atomically: to a temporary file in the same folder, then renamed over
// the old one. On failure the old file is left as it was and false is returned.
bool write_file_atomic(const std::string& path, const std::string& data);

// Gives a file written beside `target`, before it is renamed over it, the mode of the file it
// replaces, or for a new one the usual mode of a new file (0666 less the umask). False when the
// mode cannot be set.
bool take_target_mode(const std::string& written, const std::string& target);

bool file_exists(const std::string& path);
bool directory_exists(const std::string& path);
