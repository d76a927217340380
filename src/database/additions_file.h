#pragma once
// The user's additions file (ajouts/Vev_ajouts_<database>.txt): its text format, the reading of
// one line into its values, the writing of one point as a line, and the contribution score.
//
// Format: Windows-1252 text, CR LF line ends.
//   line 1  "#v001-id=" + six digits (each 1..9) + "-" + nickname ("Anonymous" when empty);
//           a reader checks only the first five characters
//   line 2  "#v1.06" (ignored like every line starting with "#")
//   then one point per line, 16 fields separated by "|":
//     1 name, 2 -, 3 zone id (signed decimal), 4 category id, 5 x, 6 y, 7 level min,
//     8 level max, 9 -, 10 first field of the node request (low byte), 11 -, 12 -,
//     13 property set (32 upper-case hex digits, words 0..3), 14 master id (upper-case hex of at
//     least 6 digits, empty for 0), 15 link string, 16 comment (the rest of the line, "|" kept).

#include "database/points_tree.h"
#include "foundation/func_type.h"

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

inline constexpr std::string_view additions_signature = "#v001";
inline constexpr std::string_view additions_version_line = "#v1.06";
inline constexpr size_t addition_field_count = 16;

using AdditionFields = std::array<std::string, addition_field_count>;

// True when the line starts with "#v001".
bool is_additions_header(std::string_view line);

// The additions file of the current load: ajouts_path + additions_file_native_name, a path.
std::string additions_file_path();
// The backup that keeps the lines a rewrite drops: ".txt" becomes ".bak".
std::string additions_backup_path(const std::string& path);
// The companions of an additions file add their tag after its ".txt", which no database's own
// additions file ends in: no name of one database's files is another database's.
// The one file beside `path` that takes the saves while `path` cannot be read: ".txt.new".
std::string additions_beside_path(const std::string& path);
// A file beside `path` that does not exist yet: `path` + `tag`, then `path` + `tag` + "2" ...
std::string additions_free_path(const std::string& path, const std::string& tag);

// The newest lines given, up to `limit` bytes with their line ends; the newest one always stays
// whole.
class TNewestLines {
public:
    explicit TNewestLines(size_t limit) : limit_(limit) {}
    void add(std::string_view line);
    std::vector<std::string> lines() const { return {lines_.begin(), lines_.end()}; }
    bool empty() const { return lines_.empty(); }
    void clear();

private:
    size_t limit_;
    std::deque<std::string> lines_;
    size_t bytes_ = 0;
};

// The backup text with `lines` appended under the comment line `heading`, kept within `limit`
// bytes: the oldest lines go first, from a comment line on where one is left, else from a line
// start (a text of one line keeps its newest bytes); when the new block alone passes the limit,
// its heading stays with its newest lines, the last one always whole.
// `backup` may be the old text or only its last limit + 1 bytes.
std::string backup_with_lines(std::string backup, const std::string& heading,
                              const std::vector<std::string>& lines, size_t limit);
inline constexpr size_t additions_backup_limit = 4u << 20;

// A real additions file holds some tens of thousands of points of a few hundred bytes; a larger
// file is not read.
inline constexpr size_t additions_file_limit = 32u << 20;
// A save writes at most this much, so that the file, and the copy a signal leaves of it with its
// comment lines, read back.
inline constexpr size_t additions_save_limit = additions_file_limit - (64u << 10);

// "#v001-id=" + digits + "-" + nickname, "Anonymous" standing for an empty nickname.
std::string additions_header_line(const std::string& digits, const std::string& nickname);

// Six digits, each 1..9, from a generator seeded from the clock.
std::string random_header_digits();

// Splits a line into its fields: the line is trimmed first; a "|" starts the next field while
// fewer than 16 exist, later ones belong to field 16. False for an empty line or one starting
// with "#" (the fields are then left empty).
bool split_addition_line(std::string_view line, AdditionFields& fields);

// Field 13: each 8-character slice k is word k in hexadecimal; a short or non-hex slice gives 0.
TFlagSet parse_flag_field(std::string_view field);
// Field 14: empty gives 0; false when the text is not a hexadecimal number of 32 bits.
bool parse_master_id(std::string_view field, int32_t& id);

// The values of one point line.
struct AdditionLine {
    std::string name;
    std::string zone_text; // field 3 as written, for the raising conversion
    int32_t zone_id = 0;
    int32_t category_id = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t level_min = 0;
    int32_t level_max = 0;
    int32_t first_field = 0; // low byte of field 10
    TFlagSet flags;
    int32_t master_id = 0;
    std::string link;
    std::string comment;
};

enum class AdditionParse {
    Ignored,     // empty or "#" line
    BadMasterId, // dropped without being counted
    Point,
};

// Reads one line. Whole numbers that do not convert become 0.
AdditionParse parse_addition_line_values(std::string_view line, AdditionLine& out);

// The line written for a point (without its line end).
std::string addition_line_text(const rItemdata& item, int32_t zone_id, int32_t category_id);
// The line written for a point node.
std::string addition_line_text(const TreeNode* point);

// The node request that adds the line's point: no owner and no category record yet.
rnew_node addition_request(const AdditionLine& line);

// The score of one added line: `score` (1 for a new point, 0.5 for a replacement) becomes 0 for
// a deletion entry; after a line of the same name 0.5 becomes 0.025, 1 becomes 0.3 and any other
// score 0.
float addition_score(float score, const std::string& name, const std::string& last_added_name);

// ---- Merging into the points tree ----

enum class AdditionOutcome {
    Ignored,  // empty or "#" line
    Dropped,  // bad master id or zone field: not counted
    Rejected, // counts as a rejected line
    Present,  // rejected, as a point identical to one already in the tree
    Added,    // counted in the realm statistics (a node is made when zone and category exist)
};

// Merges the lines of one additions file over the points of the tree. The hooks add and delete
// point nodes (the main window's addnode and destroynode); nothing else changes the tree while a
// merger is alive.
class TAdditionsMerger {
public:
    struct Hooks {
        std::function<TreeNode*(const rnew_node&)> add;
        std::function<void(TreeNode*)> destroy;
    };

    // strict: the database is editable, so a line without master id may not stand on a point.
    TAdditionsMerger(const TData_map& map_data, TRealm_info& realm, Hooks hooks, bool strict);

    // Merges one line: a database point it replaces is deleted as soon as it is found.
    AdditionOutcome parse_addition_line(std::string_view line);
    // The node the last line added made, nullptr when it made none.
    const TreeNode* made() const { return made_; }
    // Called with the line of each earlier addition that a line replaces, before it goes.
    void on_replaced(std::function<void(const std::string&)> replaced) {
        replaced_ = std::move(replaced);
    }

private:
    using Candidates = std::vector<TreeNode*>;
    using PositionIndex = std::unordered_map<uint32_t, Candidates>;

    // The points of the zone at (x, y), in display order.
    Candidates* candidates(TreeNode* zone, int32_t x, int32_t y);
    void forget(TreeNode* point);
    void remember(TreeNode* point);

    const TData_map& map_data_;
    TRealm_info& realm_;
    Hooks hooks_;
    bool strict_;
    TreeNode* made_ = nullptr;
    std::function<void(const std::string&)> replaced_;
    // Point positions of the zones visited so far, kept in step with the hooks' changes, so
    // that a long file does not walk its zones once per line.
    std::unordered_map<const TreeNode*, PositionIndex> zones_;
};

enum class AdditionsRead {
    Missing,    // no file: nothing merged
    Unreadable, // something is there but cannot be read (the lines before a read error merged)
    TooLarge,   // larger than additions_file_limit (the lines before it grew past it merged)
    BadHeader,  // the first line does not start with "#v001"
    Read,
};

struct AdditionsReadResult {
    AdditionsRead status = AdditionsRead::Missing;
    int32_t rejected = 0; // point lines a rewrite would not write back
    QByteArray digest;    // of the bytes read, when the whole file was read
    int64_t size = 0;
    bool merged = false; // some line reached the merge before the read ended
};

struct AdditionsMergeOptions {
    // The file holds additions merged before: lines identical to a point already in the tree
    // are neither counted nor handed to `unplaced`.
    bool again = false;
    // Each line the merge does not place, and the line of each earlier addition a line replaces.
    std::function<void(std::string_view)> unplaced;
    // Each line read after the header, before it is merged.
    std::function<void(std::string_view)> read;
    size_t limit = additions_file_limit;
};

// Reads a file a line at a time, line 1 being the header, and merges its lines. A text starting
// with the UTF-8 byte order mark, as some editors save it, is read as UTF-8 and left in
// Windows-1252. A FIFO, a device or a folder is refused without waiting.
AdditionsReadResult merge_additions_file(const std::string& path, TAdditionsMerger& merger,
                                         const AdditionsMergeOptions& options = {});

// Reads a file as merge_additions_file does, handing each line after the header to `line`
// (trimmed, in Windows-1252) instead of merging it.
AdditionsReadResult read_additions_lines(const std::string& path,
                                         const std::function<void(std::string_view)>& line,
                                         size_t limit = additions_file_limit);

// The point lines of a file's text, as a merge reads them: to tell which of them another state
// of the same file lacks.
using AdditionsLineSet = std::unordered_set<std::string>;

// The text of the file written from the tree: both header lines, then one line for each point
// node, in display order and hidden ones included, that does not come from the database.
std::string additions_file_text(const TPointsTree& tree, const std::string& digits,
                                const std::string& nickname);

// ---- The files of one load ----

// Where the additions of the current load come from and go to. The saves go to the additions
// file, or to the one file beside it while the load could not read the additions file; that
// file is read back at the next load. Before a file is written over, what it holds is compared
// with what this program last read or wrote there: another program's version is kept aside.
class TAdditionsFiles {
public:
    // A new load of the additions file `path`: saves go to it, nothing is known of any file.
    void reset(const std::string& path);
    // The saves go to the file beside; what it holds now counts as unread until merged.
    void save_beside();
    // After the load merged `file` too: the next save of the target takes it in, and it goes
    // (unless it changed since).
    void take_in(const std::string& file) { taken_in_.push_back(file); }
    // Whether files were taken in that the next save lets go.
    bool taking_in() const { return !taken_in_.empty(); }

    const std::string& path() const { return path_; }
    std::string beside() const { return additions_beside_path(path_); }
    // The file the saves write and the sending sends.
    std::string target() const { return beside_ ? beside() : path_; }
    bool saves_beside() const { return beside_; }

    // Reads and merges a file, remembering what it held and the lines the merge did not place.
    // `state_of` is the file whose whole state it holds: itself, or the file a signal's copy was
    // made of. The state of a file other than the additions file holds additions merged before:
    // lines identical to points already there are not rejected again. The lines read go to
    // `lines` when given.
    AdditionsReadResult merge(const std::string& file, TAdditionsMerger& merger,
                              const std::string& state_of, AdditionsLineSet* lines = nullptr);
    // Reads a file without merging it, remembering what it held; its lines go to `lines`.
    AdditionsReadResult scan(const std::string& file, AdditionsLineSet* lines = nullptr);
    // An older state of the merged one: the lines of `file` that `kept` lacks go to the backup
    // with the next save, and `file` goes once that save is written (unless it changed since,
    // or the saves write it). A file that does not read whole stays as it is.
    void supersede(const std::string& file, const AdditionsLineSet& kept);
    // The comment line that tells which state of `file` a copy was made over: "#base " and the
    // MD5 of what this program last read or wrote there, "none" where there was no file. Empty
    // when nothing is known of it.
    std::string base_line(const std::string& file) const;

    struct Written {
        bool ok = false;
        std::string file;      // the file written, or that could not be written
        std::string set_aside; // where another program's version of it was kept
        bool first_beside = false;
        bool too_large = false; // past additions_save_limit: nothing written
    };
    // Writes `text` to `file` (the additions file standing for the target). The lines the
    // merges did not place go first to the backup, under `heading`.
    Written write(const std::string& file, const std::string& text, const std::string& heading);

private:
    struct Seen {
        bool exists = false;
        bool read = false; // `digest` and `size` are what it held
        QByteArray digest;
        int64_t size = 0;
    };
    // Whether `file` still holds what it held when last read or written.
    bool unchanged(const std::string& file);
    void remember(const std::string& file, const AdditionsReadResult& result);

    // What `file` held when last read or written; nothing known means it is not checked.
    std::unordered_map<std::string, Seen> seen_;
    std::string path_;
    TNewestLines unplaced_{additions_backup_limit};
    AdditionsLineSet backed_up_; // the lines of older states on their way to the backup
    std::vector<std::string> taken_in_;
    bool beside_ = false;
    bool beside_written_ = false;
};

// The one instance: the data load resets it, the saves and the sending use it.
extern TAdditionsFiles additions_files;

// The file that holds the additions as the user saved them: the target of the current load's
// files, else the additions file.
std::string current_additions_path();

// Writes the additions' text, the whole state of `file`, where a later load finds it when `file`
// could not take it: beside it, else in the home folder (as `file`'s name + ".unsaved"...), with
// comment lines naming the installation and the state of `file` it was made over (base_line).
// Returns the file written, empty when none.
std::string write_additions_fallback(const std::string& file, const std::string& text);

// The comment line of a fallback file that names the installation (app_path) it belongs to.
std::string installation_line();

// A copy a signal left of an additions file or of the file beside it.
struct TUnsavedCopy {
    std::string file;
    std::string base; // the state of its file it was made over, as base_line names it; empty
                      // for a copy that does not say, or that another installation made
    int64_t time = 0; // modification time, in nanoseconds
    int number = 1;   // 1 for ".unsaved", 2 for ".unsaved2" ...
};

// The copies of the additions file `path` (`of_file`) and of the file beside it (`of_beside`),
// oldest first: those beside them, and those in the home folder whose comment line names this
// installation; `unknown`: the copies of the home folder, of any database, whose installation
// cannot be found. At most max_unsaved_files copies of this database are looked at in each
// folder, and as many others in the home folder.
struct TUnsavedFiles {
    std::vector<TUnsavedCopy> of_file;
    std::vector<TUnsavedCopy> of_beside;
    std::vector<std::string> unknown;
};
TUnsavedFiles find_unsaved_additions(const std::string& path);
inline constexpr size_t max_unsaved_files = 32;
