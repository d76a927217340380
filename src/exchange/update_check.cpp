#include "exchange/update_check.h"

#include "database/database_list.h"
#include "foundation/errors.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "mainwindow/preferences.h"
#include "mainwindow/startup.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>

#include <sys/stat.h>

namespace {

std::string lower(const std::string& text) {
    return from_qstring(to_qstring(text).toLower());
}

QByteArray native(const std::string& path) {
    return QFile::encodeName(to_path(path));
}

int64_t now_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The files of the installation that an update never writes, looked up once per pass: the
// program's lock, and the user's additions files with their companions (every file of the
// additions folder whose name starts with "Vev_ajouts_"). Only an entry of such a name is looked
// at further, so a pass makes no file system call for the others.
class TOwnFiles {
public:
    enum class Owner { None, Program, User };

    TOwnFiles()
        : app_(canonical_folder(app_path)), ajouts_(canonical_folder(app_path + "ajouts/")),
          lock_id_(identity(native(app_path + kLockFileName).constData())),
          ajouts_id_(identity(ajouts_)) {}

    // Whose file folder + name is: the lock itself whatever the path's form, or its name in any
    // letter case in the program folder; an additions file in the additions folder reached by
    // any path, or in a folder of that name in any letter case in the program folder.
    Owner owner(const std::string& folder, const std::string& name) const {
        const std::string lowered = lower_ascii(name);
        const bool lock = lowered == kLockFileName;
        if (!lock && !lowered.starts_with("vev_ajouts_"))
            return Owner::None;
        const Owner owner = lock ? Owner::Program : Owner::User;
        std::error_code error;
        const std::filesystem::path where = canonical_folder(folder, &error);
        if (error)
            return owner;
        if (lock)
            return where == app_ ||
                           same(lock_id_, identity(native(folder + path_name(name)).constData()))
                       ? owner
                       : Owner::None;
        const bool named_so =
            where.parent_path() == app_ && lower_ascii(where.filename().string()) == "ajouts";
        return named_so || where == ajouts_ || same(ajouts_id_, identity(where)) ? owner
                                                                                 : Owner::None;
    }

private:
    using Identity = std::optional<std::pair<dev_t, ino_t>>;

    static std::filesystem::path canonical_folder(const std::string& folder,
                                                  std::error_code* error = nullptr) {
        std::error_code ignored;
        std::filesystem::path where = std::filesystem::weakly_canonical(
            native(folder + ".").constData(), error ? *error : ignored);
        return where.has_filename() ? where : where.parent_path();
    }
    static Identity identity(const std::filesystem::path& path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return std::nullopt;
        return std::pair(st.st_dev, st.st_ino);
    }
    static bool same(const Identity& a, const Identity& b) { return a && a == b; }

    std::filesystem::path app_;
    std::filesystem::path ajouts_;
    Identity lock_id_;
    Identity ajouts_id_;
};

} // namespace

// The temporary files of one download, made in the entry's folder under names that no file
// there had and that are not the entry's own; they go with the object.
class TDownloadFiles {
public:
    TDownloadFiles(std::string folder, std::string entry_name)
        : folder_(std::move(folder)), entry_name_(std::move(entry_name)) {}
    ~TDownloadFiles() {
        for (const QString& path : made_)
            QFile::remove(path);
    }
    TDownloadFiles(const TDownloadFiles&) = delete;
    TDownloadFiles& operator=(const TDownloadFiles&) = delete;

    // A new empty file. Throws EInOutError when the folder takes none.
    std::string make(const char* suffix) {
        for (;;) {
            QTemporaryFile file(to_path(folder_) + QStringLiteral("dl-XXXXXX") +
                                QLatin1String(suffix));
            file.setAutoRemove(false);
            if (!file.open())
                throw EInOutError("Cannot create a file in \"" + path_text(folder_) + "\". " +
                                  from_qstring(file.errorString()));
            const std::string path = native_path(file.fileName());
            if (path != folder_ + entry_name_) {
                made_.push_back(file.fileName());
                return path;
            }
            file.remove(); // the entry's own name: it goes before it could be renamed over
        }
    }

private:
    std::string folder_;
    std::string entry_name_;
    std::vector<QString> made_;
};

ttreeup::ttreeup(std::string name, std::string folder, std::string md5, std::string url,
                 std::string description, bool compressed, bool restart,
                 const std::string& kind_and_target)
    : name(std::move(name)), url(std::move(url)), folder(std::move(folder)), md5(std::move(md5)),
      status(get_text(112)), description(std::move(description)),
      kind(lower(kind_and_target.substr(0, 3))),
      target(kind_and_target.size() > 4 ? lower(kind_and_target.substr(4)) : std::string()),
      compressed(compressed), restart(restart) {}

std::string update_request_address(const rdbavailable& db, const std::string& database,
                                   const std::string& language, const std::string& id) {
    return db.update_address1 + db.update_address2 + db.update_address3 +
           "?db=" + url_query_value(database) + "&r=" + url_query_value(language) +
           "&i=" + url_query_value(id);
}

bool update_reply_valid(const std::vector<std::string>& reply) {
    return !reply.empty() && reply.back() == "EOF";
}

std::array<std::string, 15> split_file_fields(const std::string& value) {
    std::array<std::string, 15> fields;
    size_t start = 0;
    for (std::string& field : fields) {
        const size_t bar = value.find('|', start);
        field = value.substr(start, bar == std::string::npos ? bar : bar - start);
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    return fields;
}

bool safe_entry_folder(const std::string& folder) {
    return folder.find('\0') == std::string::npos && folder.find("..") == std::string::npos &&
           folder.find(':') == std::string::npos &&
           (folder.empty() || (folder[0] != '\\' && folder[0] != '/'));
}

bool safe_entry_name(const std::string& name) {
    return !name.empty() && name != "." && safe_entry_folder(name) &&
           name.find_first_of("\\/") == std::string::npos;
}

std::string local_folder(const std::string& folder) {
    std::string local = folder;
    std::replace(local.begin(), local.end(), '\\', '/');
    return app_path + path_name(local);
}

std::string server_text_excerpt(std::string_view text, size_t lines, size_t width) {
    std::string out;
    size_t start = 0;
    for (size_t line = 0; start < text.size(); ++line) {
        if (line > 0)
            out += '\n';
        if (line == lines) {
            out += '\x85';
            break;
        }
        const size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        out.append(text.substr(start, std::min(end - start, width)));
        if (end - start > width)
            out += '\x85';
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return out;
}

std::string md5_hex(std::string_view data) {
    return QCryptographicHash::hash(
               QByteArrayView(data.data(), static_cast<qsizetype>(data.size())),
               QCryptographicHash::Md5)
        .toHex()
        .toStdString();
}

std::string md5_file_hex(const std::string& path) {
    QFile file;
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!open_for_reading(path, file) || !hash.addData(&file))
        return md5_hex({});
    return hash.result().toHex().toStdString();
}

void apply_proxy_preferences(THttpOptions& options, const TPreference& pref) {
    options.proxy_server = pref.PRXS;
    options.proxy_port = pref.PRXP;
    options.proxy_user = pref.PRXN;
    options.proxy_password = pref.PRXM;
    options.proxy_basic_auth = pref.PRXB;
    options.http_1_0 = pref.HTTP == 0;
}

TUpdateCheck::TUpdateCheck() {
    http.options.read_timeout_ms = kReadTimeoutMs;
    http.options.total_timeout_ms = kTransferTimeoutMs;
    http.options.max_redirects = 2;
    http.options.idle_interval_ms = 50;
    http.options.max_body = max_inflated_size;
    http.options.headers = {"User-Agent: Mozilla/3.0 (compatible; Indy Library)",
                            "Accept: text/html, */*", "Content-Type: text/html"};
    http.on_idle = [this] {
        if (events.process_events)
            events.process_events();
    };
}

void TUpdateCheck::begin_run() {
    cancelled = false;
    version.clear();
    reply.clear();
    message_lines_ = 0;
    clear_entries();
}

void TUpdateCheck::cancel() {
    cancelled = true;
    http.cancel();
}

void TUpdateCheck::clear_entries() {
    entries.clear();
    if (events.entries_changed)
        events.entries_changed();
}

bool TUpdateCheck::check_update(const std::string& address) {
    try {
        http.options.max_body = kUpdateReplyMaxBytes;
        reply = split_lines(http.get(address));
        return true;
    } catch (const std::exception& e) {
        report(e);
        return false;
    }
}

void TUpdateCheck::parse_reply() {
    for (const std::string& line : reply) {
        if (!parse_reply_line(line)) {
            show_message(0, false, "update error");
            break;
        }
    }
    if (events.entries_changed)
        events.entries_changed();
}

bool TUpdateCheck::parse_reply_line(const std::string& line) {
    try {
        const std::string tag = line.substr(0, 5);
        const std::string value = line.size() > 5 ? line.substr(5) : std::string();
        const bool french = lower(language) == "francais";
        if (tag == "VERS=")
            version = value;
        else if (tag == "FILE=")
            add_file_entry(value);
        else if ((french && tag == "MESS=") || (!french && tag == "MESE="))
            show_message_line(value);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TUpdateCheck::add_file_entry(const std::string& value) {
    const auto f = split_file_fields(value);
    const bool compressed = str_to_bool(f[5]);
    const bool restart = str_to_bool(f[6]);
    entries.push_back(
        std::make_unique<ttreeup>(f[0], f[1], f[2], f[3], f[4], compressed, restart, f[7]));
}

bool TUpdateCheck::select_updates() {
    bool something = false;
    bool failed = false;
    const TOwnFiles own;
    std::string refused; // the first additions file an entry named
    size_t refused_count = 0;
    if (events.status_bar)
        events.status_bar(get_text(144));
    for (const auto& p : entries) {
        if (cancelled)
            break;
        ttreeup& e = *p;
        const bool folder_ok = safe_entry_folder(e.folder);
        const std::string folder = local_folder(e.folder);
        // The lock is the program's own, the additions files the user's: an update never writes
        // them.
        const TOwnFiles::Owner owner = folder_ok && safe_entry_name(e.name)
                                           ? own.owner(folder, e.name)
                                           : TOwnFiles::Owner::None;
        const bool name_ok = safe_entry_name(e.name) && owner == TOwnFiles::Owner::None;
        if (!folder_ok || !name_ok || md5_file_hex(folder + path_name(e.name)) != e.md5) {
            bool wanted = e.kind == "all" || e.kind == "res";
            if (e.kind == "bas")
                for (const auto& db : database_list)
                    wanted = wanted || lower(name_for_peers(db->folder)) == e.target;
            e.visible = e.visible || wanted;
        }
        if (e.visible) {
            something = true;
            if (!folder_ok || (!directory_exists(folder) && !QDir().mkdir(to_path(folder)))) {
                e.usable = false;
                set_status(e, 145);
                failed = true;
            } else if (!name_ok) {
                e.usable = false;
                set_status(e, 53);
                if (owner == TOwnFiles::Owner::User && refused_count++ == 0)
                    refused = folder + path_name(e.name);
            }
        }
        pump_events();
    }
    if (events.entries_changed)
        events.entries_changed();
    if (events.status_bar)
        events.status_bar("");
    if (refused_count > 0)
        append_error_log(path_text(refused) + ": not replaced by the update: the additions files " +
                         "are the user's own" +
                         (refused_count > 1 ? " (nor " + std::to_string(refused_count - 1) +
                                                  " other entries naming them)."
                                            : "."));
    if (failed && !cancelled)
        show_message(58, false);
    return something;
}

void TUpdateCheck::telecharge_update() {
    for (const auto& p : entries) {
        ttreeup& e = *p;
        if (!e.usable || !e.visible || cancelled || !safe_entry_folder(e.folder))
            continue;
        set_status(e, 146);
        TDownloadFiles temps(local_folder(e.folder), path_name(e.name));
        std::string download;
        try {
            download = temps.make(e.compressed ? ".gz" : ".tmp");
        } catch (const std::exception& error) {
            report(error);
        }
        if (download.empty() || !downloadfile(e.url, download)) {
            set_status(e, 54);
        } else if (replace_fic(e, download, temps)) {
            database_updated = true;
            restart_needed = restart_needed || e.restart;
            set_status(e, 52);
        } else {
            set_status(e, 53);
        }
    }
}

bool TUpdateCheck::downloadfile(const std::string& url, const std::string& path) {
    try {
        http.options.max_body = max_inflated_size;
        QFile file(to_path(path));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw EInOutError("Cannot create file \"" + path_text(path) + "\". " +
                              from_qstring(file.errorString()));
        http.get(url, [&file](std::string_view data) {
            return file.write(data.data(), static_cast<qint64>(data.size())) ==
                   static_cast<qint64>(data.size());
        });
        if (!file.flush())
            throw EInOutError("Cannot write file \"" + path_text(path) + "\". " +
                              from_qstring(file.errorString()));
        return true;
    } catch (const std::exception& e) {
        report(e);
        return false;
    }
}

bool TUpdateCheck::replace_fic(ttreeup& entry, const std::string& download, TDownloadFiles& temps) {
    try {
        const std::string temp = entry.compressed ? temps.make(".tmp") : download;
        if (entry.compressed && !decompress_file(download, temp))
            return false;
        if (md5_file_hex(temp) != entry.md5)
            return false;
        const std::string target = local_folder(entry.folder) + path_name(entry.name);
        // The replacement takes the mode of the file it replaces (the program stays executable),
        // a new file the usual mode.
        if (!take_target_mode(temp, target))
            return false;
        // One step: the old file stays whole until the new one takes its name.
        return std::rename(temp.c_str(), target.c_str()) == 0;
    } catch (const std::exception&) {
        return false;
    }
}

void TUpdateCheck::set_status(ttreeup& entry, int caption) {
    entry.status = get_text(caption);
    if (events.entry_changed)
        events.entry_changed(entry);
}

void TUpdateCheck::report(const std::exception& error) {
    // Errors may quote addresses and names from the reply.
    const std::string text = server_text_excerpt(error.what(), 10, kShownLineWidth);
    if (!cancelled)
        show_message(0, false, text);
    else if (events.status_bar)
        events.status_bar(text);
}

void TUpdateCheck::show_message_line(const std::string& line) {
    if (message_lines_ > kShownMessageLines || !events.memo_line)
        return;
    events.memo_line(message_lines_++ == kShownMessageLines
                         ? std::string("\x85")
                         : server_text_excerpt(line, 1, kShownLineWidth));
}

void TUpdateCheck::pump_events() {
    const int64_t now = now_ms();
    if (events.process_events && now - last_events_ms_ >= 50) {
        last_events_ms_ = now;
        events.process_events();
    }
}
