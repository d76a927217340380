#pragma once
// The update check: the update server's reply, the choice of the local files whose MD5 differs,
// their download, verification and replacement. The update dialog shows what this reports.

#include "foundation/func_type.h"
#include "platform/http_client.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TPreference;

// The version of this system, compared with the server's "VERS=" line.
inline constexpr const char* kProgramVersion = "v1.06";

// The longest wait for the next bytes of a server's reply, and the longest that one transfer
// of the update may take.
inline constexpr int kReadTimeoutMs = 10000;
inline constexpr int kTransferTimeoutMs = 30 * 60 * 1000;

// The update reply is refused beyond this size (30,000 file entries take about 3 MB).
inline constexpr uint64_t kUpdateReplyMaxBytes = 4u << 20;
// The reply's messages shown: at most this many lines, each cut to this many characters.
inline constexpr size_t kShownMessageLines = 300;
inline constexpr size_t kShownLineWidth = 300;

// One file entry of the update reply.
class ttreeup {
public:
    ttreeup(std::string name, std::string folder, std::string md5, std::string url,
            std::string description, bool compressed, bool restart,
            const std::string& kind_and_target);

    std::string name;
    std::string url;
    std::string folder; // relative to the program folder, backslash-separated; may be empty
    std::string md5;    // expected digest of the final file
    std::string status;
    std::string description;
    std::string kind;   // "all", "res" or "bas" (lower-cased)
    std::string target; // database folder name for "bas" (lower-cased)
    bool usable = true;
    bool compressed = false;
    bool restart = false;
    bool visible = false; // shown in the list: selected for the update
};

// The request address: the three parts, then "?db=", "&r=" and "&i=" with their values
// percent-encoded.
std::string update_request_address(const rdbavailable& db, const std::string& database,
                                   const std::string& language, const std::string& id);

// At least one line, the last exactly "EOF".
bool update_reply_valid(const std::vector<std::string>& reply);

// The fields of a "FILE=" value, cut at every "|"; missing fields are empty, fields after the
// fifteenth are dropped.
std::array<std::string, 15> split_file_fields(const std::string& value);

// Whether an entry's folder and name stay inside the program folder: no absolute path, no
// drive, no "..", no NUL; a name is not empty and holds no separator.
bool safe_entry_folder(const std::string& folder);
bool safe_entry_name(const std::string& name);
// The folder field as a local folder: app_path + the field with its backslashes as "/".
std::string local_folder(const std::string& folder);

// A server's text for a window: at most `lines` lines, each cut to `width` characters; "\x85"
// (an ellipsis) marks what was cut.
std::string server_text_excerpt(std::string_view text, size_t lines, size_t width);

// MD5 digests as 32 lower-case hexadecimal digits; an unreadable file counts as empty input.
std::string md5_hex(std::string_view data);
std::string md5_file_hex(const std::string& path);

// Gives the client the proxy, authentication and protocol preferences.
void apply_proxy_preferences(THttpOptions& options, const TPreference& pref);

// What the check tells its window.
struct TUpdateEvents {
    std::function<void(const std::string&)> memo_line;
    std::function<void(const std::string&)> status_bar;
    std::function<void()> entries_changed;             // cleared, read from the reply, or selected
    std::function<void(const ttreeup&)> entry_changed; // its status; shown soon
    std::function<void()> process_events;              // a few times a second during long work
};

class TDownloadFiles;

class TUpdateCheck {
public:
    TUpdateCheck();

    THttpClient http;
    TUpdateEvents events;
    std::vector<std::unique_ptr<ttreeup>> entries; // in reply order
    std::string version;                           // of the last "VERS=" line
    std::vector<std::string> reply;                // the last reply received
    bool restart_needed = false;
    bool database_updated = false; // a file was replaced
    bool cancelled = false;        // no further transfer or replacement in this run

    // Forgets everything of an earlier run: entries, reply, version, messages, cancel.
    void begin_run();
    // Ends the running transfer at its next idle call, and the run with it; its error goes to
    // the status bar, not to a box.
    void cancel();
    void clear_entries();
    // Fetches the reply (at most kUpdateReplyMaxBytes); on failure a box with the error (after a
    // cancel: the status bar), the previous reply stays, and false.
    bool check_update(const std::string& address);
    // Reads the lines in order up to the first that fails ("update error" box).
    void parse_reply();
    bool parse_reply_line(const std::string& line);
    // Throws EConvertError when the compressed or restart field is no Boolean text.
    void add_file_entry(const std::string& value);
    // Shows the entries whose local file differs and that concern this installation, and makes
    // their folders; an entry whose file is the program's lock file is refused. True when
    // something is to be updated; message 58 when a folder failed.
    bool select_updates();
    // Downloads and replaces every shown usable entry; each download goes to temporary files
    // whose names no file of the folder has, removed afterwards.
    void telecharge_update();
    // The address into the file at path; on failure the error as above, and false.
    bool downloadfile(const std::string& url, const std::string& path);
    // Unpacks and verifies the download, then renames it over the target in one step.
    bool replace_fic(ttreeup& entry, const std::string& download, TDownloadFiles& temps);

private:
    void set_status(ttreeup& entry, int caption);
    void report(const std::exception& error);
    void show_message_line(const std::string& line);
    void pump_events();

    size_t message_lines_ = 0;
    int64_t last_events_ms_ = 0;
};
