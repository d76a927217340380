// Section containers, scrambled list files and the database folder scan.

#include "foundation/func_karvo.h"

#include "foundation/errors.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr size_t kChunk = 64 * 1024;

// Inflates one zlib stream. `read(buffer, capacity)` returns the bytes it put into the buffer,
// 0 at the end of the input or on an error; `write(data, size)` returns false to give up.
// ok only when the stream's end marker was reached within max_output bytes; too_large when the
// stream holds more, of which the first max_output bytes were written.
template <class Read, class Write>
SectionRead inflate_stream(Read&& read, Write&& write, size_t max_output) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return SectionRead::failed;
    std::vector<unsigned char> in(kChunk);
    std::vector<unsigned char> out(kChunk);
    size_t total = 0;
    SectionRead result = SectionRead::failed;
    for (;;) {
        if (zs.avail_in == 0) {
            size_t n = read(in.data(), in.size());
            if (n == 0)
                break; // truncated stream
            zs.next_in = in.data();
            zs.avail_in = static_cast<uInt>(n);
        }
        zs.next_out = out.data();
        zs.avail_out = static_cast<uInt>(out.size());
        int ret = inflate(&zs, Z_NO_FLUSH);
        size_t produced = out.size() - zs.avail_out;
        const size_t fits = std::min(produced, max_output - total);
        total += fits;
        // What was inflated before damaged data is handed out too.
        if (fits != 0 && !write(out.data(), fits))
            break;
        if (fits < produced) {
            result = SectionRead::too_large;
            break;
        }
        if (ret != Z_OK && ret != Z_STREAM_END && ret != Z_BUF_ERROR)
            break; // damaged data, or a preset dictionary we cannot supply
        if (ret == Z_STREAM_END) {
            result = SectionRead::ok;
            break;
        }
        if (ret == Z_BUF_ERROR && zs.avail_in != 0)
            break; // no progress possible
    }
    inflateEnd(&zs);
    return result;
}

auto file_reader(QFile& f) {
    return [&f](unsigned char* buffer, size_t capacity) -> size_t {
        qint64 n = f.read(reinterpret_cast<char*>(buffer), static_cast<qint64>(capacity));
        return n > 0 ? static_cast<size_t>(n) : 0;
    };
}

auto string_sink(std::string& out) {
    return [&out](const unsigned char* data, size_t size) {
        out.append(reinterpret_cast<const char*>(data), size);
        return true;
    };
}

bool equal_ignoring_case(const std::string& a, const std::string& b) {
    return to_qstring(a).compare(to_qstring(b), Qt::CaseInsensitive) == 0;
}

// A real number written with the decimal comma: blanks around, a sign, digits with an optional
// fraction and an optional exponent.
bool is_decimal_number(std::string_view t, double& value) {
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ')
        t.remove_suffix(1);
    std::string c;
    size_t i = 0;
    auto digits = [&] {
        size_t from = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9')
            c.push_back(t[i++]);
        return i - from;
    };
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        c.push_back(t[i++]);
    size_t n = digits();
    if (i < t.size() && t[i] == ',') {
        c.push_back('.');
        ++i;
        n += digits();
    }
    if (n == 0)
        return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        c.push_back('e');
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            c.push_back(t[i++]);
        if (digits() == 0)
            return false;
    }
    if (i != t.size())
        return false;
    value = std::strtod(c.c_str(), nullptr);
    return true;
}

} // namespace

std::string replace_all(const std::string& text, std::string_view what, std::string_view with) {
    std::string out;
    size_t start = 0;
    for (size_t at; (at = text.find(what, start)) != std::string::npos; start = at + what.size())
        out.append(text, start, at - start).append(with);
    out.append(text, start, std::string::npos);
    return out;
}

// ---- Section containers and scrambled list files ----

bool check_version(const std::string& file_name) {
    QFile f;
    if (!open_for_reading(file_name, f))
        throw EInOutError("cannot open " + path_text(file_name));
    QByteArray head = f.read(4);
    if (head.size() < 4)
        throw EInOutError("read beyond end of file " + path_text(file_name));
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(head[i]);
    return v == db_version;
}

size_t section_limit(int index) {
    constexpr size_t kB = 1024;
    switch (index) {
    case 9:
        return 64 * kB * kB;
    case 1:
    case 7:
    case 8:
        return 4 * kB * kB;
    default:
        return 1 * kB * kB;
    }
}

SectionRead read_section(std::string& target, const std::string& file_name, int index,
                         size_t max_size) {
    target.clear();
    QFile f;
    if (!open_for_reading(file_name, f))
        return SectionRead::failed;
    if (index >= 1) {
        if (!f.seek(4 * static_cast<qint64>(index)))
            return SectionRead::failed;
        QByteArray raw = f.read(4);
        if (raw.size() < 4)
            return SectionRead::failed;
        int32_t offset =
            static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint8_t>(raw[0])) |
                                 static_cast<uint32_t>(static_cast<uint8_t>(raw[1])) << 8 |
                                 static_cast<uint32_t>(static_cast<uint8_t>(raw[2])) << 16 |
                                 static_cast<uint32_t>(static_cast<uint8_t>(raw[3])) << 24);
        if (offset < 0 || offset >= f.size() || !f.seek(offset))
            return SectionRead::failed;
    }
    return inflate_stream(file_reader(f), string_sink(target), max_size);
}

bool load_section(std::string& target, const std::string& file_name, int index, bool keep_partial,
                  size_t max_size) {
    if (max_size == 0)
        max_size = section_limit(index);
    const SectionRead read = read_section(target, file_name, index, max_size);
    if (read == SectionRead::ok)
        return true;
    if (read == SectionRead::too_large)
        log_outside_limit(path_text(file_name) +
                              (index >= 1 ? " (section " + std::to_string(index) + ")" : ""),
                          size_text(max_size), false);
    if (!keep_partial)
        target.clear();
    return false;
}

bool inflate_zlib(std::string_view data, std::string& out, size_t max_output) {
    out.clear();
    size_t pos = 0;
    auto read = [&](unsigned char* buffer, size_t capacity) {
        size_t n = std::min(capacity, data.size() - pos);
        std::copy_n(data.data() + pos, n, reinterpret_cast<char*>(buffer));
        pos += n;
        return n;
    };
    if (inflate_stream(read, string_sink(out), max_output) == SectionRead::ok)
        return true;
    out.clear();
    return false;
}

bool decompress_file(const std::string& source, const std::string& destination) {
    QFile in;
    if (!open_for_reading(source, in))
        return false;
    QSaveFile out(to_path(destination));
    if (!out.open(QIODevice::WriteOnly))
        return false;
    auto write = [&out](const unsigned char* data, size_t size) {
        return out.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
               static_cast<qint64>(size);
    };
    if (inflate_stream(file_reader(in), write, max_inflated_size) != SectionRead::ok) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

void scramble_stream(std::string& stream, const std::string& key) {
    QByteArray digest =
        QCryptographicHash::hash(QByteArray(key.data(), static_cast<qsizetype>(key.size())),
                                 QCryptographicHash::Md5)
            .toHex();
    for (size_t i = 0; i < stream.size(); ++i)
        stream[i] = static_cast<char>(stream[i] ^ digest[static_cast<qsizetype>(i % 32)]);
}

bool load_scrambled_text(std::vector<std::string>& lines, const std::string& file_name,
                         size_t max_size) {
    lines.clear();
    std::string data;
    if (!load_section(data, file_name, 0, false, max_size))
        return false;
    scramble_stream(data, std::string(scramble_key));
    lines = split_lines(data);
    return true;
}

// ---- Database folder scan ----

bool str_to_bool(const std::string& text) {
    double number = 0;
    if (is_decimal_number(text, number))
        return number != 0;
    if (equal_ignoring_case(text, "true"))
        return true;
    if (equal_ignoring_case(text, "false"))
        return false;
    throw EConvertError("'" + text + "' is not a valid boolean value");
}

void scan_databases(const std::string& folder, TDatabaseList& list, TScanReport* report,
                    const std::vector<std::string>& first) {
    QDir dir(to_path(folder));
    QStringList entries = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    const auto wanted = [&first](const QString& entry) {
        return std::any_of(first.begin(), first.end(), [&entry](const std::string& name) {
            return !name.empty() && (entry.compare(to_path(name), Qt::CaseInsensitive) == 0 ||
                                     entry.compare(to_qstring(name), Qt::CaseInsensitive) == 0);
        });
    };
    std::stable_partition(entries.begin(), entries.end(), wanted);
    std::vector<std::string> lines;
    // Folders holding a database's two files, listed or left out as unreadable.
    size_t found = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (found == max_databases) {
            if (report)
                report->not_listed += static_cast<size_t>(entries.size() - i);
            break;
        }
        const std::string name = native_path(entries[i]);
        const std::string base = folder + name + "/";
        const std::string master = base + "master.loc";
        if (!file_exists(master))
            continue;
        // A url.bin that is there but cannot be read is named; one of another key, version or
        // length is no database of this program.
        const bool read = load_scrambled_text(lines, base + "url.bin");
        if (lines.size() < 9 || str_to_int_def0(lines[0]) != static_cast<int32_t>(db_version)) {
            if (!read && file_exists(base + "url.bin")) {
                ++found;
                if (report)
                    report->unreadable.push_back(name);
            }
            continue;
        }
        ++found;
        auto db = std::make_unique<rdbavailable>();
        db->folder = name;
        try {
            db->version_ok = check_version(master);
            db->not_editable = str_to_bool(lines[7]);
        } catch (const std::runtime_error&) { // EInOutError, EConvertError
            if (report)
                report->unreadable.push_back(name);
            continue;
        }
        db->mail_address = lines[1];
        db->update_address1 = lines[2];
        db->update_address2 = lines[3];
        db->update_address3 = lines[4];
        db->upload_address = lines[5];
        db->newer_version_page = lines[6];
        db->is_edit_database = false;
        db->description = replace_all(lines[8], "%%", "");
        db->display_description = replace_all(lines[8], "%%", "\r");
        db->is_current = false;
        list.push_back(std::move(db));
    }
}

std::vector<TDatabaseItem> fill_database_list(const TDatabaseList& list, uint8_t mode) {
    std::vector<TDatabaseItem> items;
    for (const auto& db : list) {
        if (mode == 0)
            items.push_back(
                {db->version_ok ? db->folder : db->folder + "[Incorrect_version]", db.get()});
        else if (!db->not_editable)
            items.push_back({db->folder, db.get()});
    }
    return items;
}

TFolderChoice fill_folder_combo(const std::string& pattern, const std::string& name) {
    TFolderChoice choice;
    size_t cut = pattern.rfind('/');
    std::string folder = cut == std::string::npos ? std::string(".") : pattern.substr(0, cut + 1);
    std::string mask = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    if (mask.empty())
        return choice;
    if (mask == "*.*")
        mask = "*"; // every name, as on the platform these patterns come from
    QDir dir(to_path(folder));
    const QStringList entries = dir.entryList(QStringList{to_path(mask)},
                                              QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& entry : entries) {
        if (choice.names.size() == max_folder_choices)
            break;
        choice.names.push_back(from_qstring(entry));
        if (choice.selected < 0 && equal_ignoring_case(choice.names.back(), name))
            choice.selected = static_cast<int>(choice.names.size()) - 1;
    }
    if (choice.selected < 0 && !choice.names.empty())
        choice.selected = 0;
    return choice;
}
