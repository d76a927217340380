#include "exchange/update_check.h"

#include "database/database_list.h"
#include "foundation/errors.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "mainwindow/preferences.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

std::string lower(const std::string& text) {
    return from_qstring(to_qstring(text).toLower());
}

QByteArray native(const std::string& path) {
    return QFile::encodeName(to_path(path));
}

} // namespace

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
    return db.update_address1 + db.update_address2 + db.update_address3 + "?db=" + database +
           "&r=" + language + "&i=" + id;
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

std::string md5_hex(std::string_view data) {
    return QCryptographicHash::hash(
               QByteArrayView(data.data(), static_cast<qsizetype>(data.size())),
               QCryptographicHash::Md5)
        .toHex()
        .toStdString();
}

std::string md5_file_hex(const std::string& path) {
    QFile file(to_path(path));
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
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
        else if ((french && tag == "MESS=") || (!french && tag == "MESE=")) {
            if (events.memo_line)
                events.memo_line(value);
        }
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
    if (events.status_bar)
        events.status_bar(get_text(144));
    for (const auto& p : entries) {
        if (cancelled)
            break;
        ttreeup& e = *p;
        const bool folder_ok = safe_entry_folder(e.folder);
        const bool name_ok = safe_entry_name(e.name);
        const std::string folder = local_folder(e.folder);
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
            }
        }
        if (events.process_events)
            events.process_events();
    }
    if (events.entries_changed)
        events.entries_changed();
    if (events.status_bar)
        events.status_bar("");
    if (failed && !cancelled)
        show_message(58, false);
    return something;
}

void TUpdateCheck::telecharge_update() {
    for (const auto& p : entries) {
        ttreeup& e = *p;
        if (!safe_entry_folder(e.folder))
            continue; // never written to, never cleaned up
        const std::string folder = local_folder(e.folder);
        if (e.usable && e.visible && !cancelled) {
            set_status(e, 146);
            if (!downloadfile(e.url, folder + (e.compressed ? "dl.gz" : "dl.tmp"))) {
                set_status(e, 54);
            } else if (replace_fic(e)) {
                database_updated = true;
                restart_needed = restart_needed || e.restart;
                set_status(e, 52);
            } else {
                set_status(e, 53);
            }
        }
        QFile::remove(to_path(folder + "dl.gz"));
        QFile::remove(to_path(folder + "dl.tmp"));
    }
}

bool TUpdateCheck::downloadfile(const std::string& url, const std::string& path) {
    try {
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

bool TUpdateCheck::replace_fic(ttreeup& entry) {
    const std::string folder = local_folder(entry.folder);
    const std::string temp = folder + "dl.tmp";
    if (entry.compressed && !decompress_file(folder + "dl.gz", temp))
        return false;
    if (md5_file_hex(temp) != entry.md5)
        return false;
    const QByteArray target = native(folder + path_name(entry.name));
    // The replacement takes the mode of the file it replaces: the program stays executable.
    std::error_code error;
    const auto old = std::filesystem::status(target.constData(), error);
    if (!error && std::filesystem::is_regular_file(old)) {
        std::filesystem::permissions(native(temp).constData(), old.permissions(), error);
        if (error)
            return false;
    }
    // One step: the old file stays whole until the new one takes its name.
    return std::rename(native(temp).constData(), target.constData()) == 0;
}

void TUpdateCheck::set_status(ttreeup& entry, int caption) {
    entry.status = get_text(caption);
    if (events.entry_changed)
        events.entry_changed(entry);
}

void TUpdateCheck::report(const std::exception& error) {
    if (!cancelled)
        show_message(0, false, error.what());
    else if (events.status_bar)
        events.status_bar(error.what());
}
