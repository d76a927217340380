#include "database/additions_file.h"

#include "database/database_list.h"
#include "foundation/errors.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>

bool is_additions_header(std::string_view line) {
    return line.substr(0, additions_signature.size()) == additions_signature;
}

namespace {

constexpr std::string_view installation_prefix = "#installation ";
constexpr std::string_view base_prefix = "#base ";

std::string without_txt(const std::string& path) {
    return path.ends_with(".txt") ? path.substr(0, path.size() - 4) : path;
}

// Text to append to: its last line ended.
std::string& with_line_end(std::string& text) {
    if (!text.empty() && text.back() != '\n' && text.back() != '\r')
        text += "\r\n";
    return text;
}

} // namespace

std::string additions_file_path() {
    return ajouts_path + additions_file_native_name;
}

std::string additions_backup_path(const std::string& path) {
    return without_txt(path) + ".bak";
}

std::string additions_beside_path(const std::string& path) {
    return path + ".new";
}

std::string additions_free_path(const std::string& path, const std::string& tag) {
    std::string free = path + tag;
    for (int n = 2; file_exists(free); ++n)
        free = path + tag + std::to_string(n);
    return free;
}

void TNewestLines::add(std::string_view line) {
    lines_.emplace_back(line);
    bytes_ += line.size() + 2;
    while (bytes_ > limit_ && lines_.size() > 1) {
        bytes_ -= lines_.front().size() + 2;
        lines_.pop_front();
    }
}

void TNewestLines::clear() {
    lines_.clear();
    bytes_ = 0;
}

std::string backup_with_lines(std::string backup, const std::string& heading,
                              const std::vector<std::string>& lines, size_t limit) {
    std::string block = heading + "\r\n";
    size_t first = lines.size();
    for (size_t size = block.size(); first > 0; --first) {
        size += lines[first - 1].size() + 2;
        if (size > limit && first < lines.size())
            break;
    }
    for (size_t i = first; i < lines.size(); ++i)
        block += lines[i] + "\r\n";
    if (first > 0 || block.size() >= limit)
        return block;
    with_line_end(backup);
    const size_t room = limit - block.size();
    if (backup.size() > room) {
        // The byte before the part that fits tells whether that part starts a line.
        const size_t at = backup.size() - room;
        const std::string_view tail = std::string_view(backup).substr(at);
        size_t cut = backup[at - 1] == '\n' && tail.front() == '#' ? 0 : tail.find("\n#");
        if (cut == std::string_view::npos)
            cut = backup[at - 1] == '\n' ? 0 : tail.find('\n');
        if (cut == std::string_view::npos)
            cut = tail.size();
        else if (tail[cut] == '\n')
            ++cut;
        // A text of one line keeps its newest bytes; otherwise only whole lines stay.
        if (cut == tail.size() && backup.find('\n') == backup.size() - 1)
            cut = 0;
        backup.erase(0, at + cut);
    }
    return backup + block;
}

std::string additions_header_line(const std::string& digits, const std::string& nickname) {
    return std::string(additions_signature) + "-id=" + digits + "-" +
           (nickname.empty() ? std::string("Anonymous") : nickname);
}

std::string random_header_digits() {
    std::mt19937 generator(
        static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> digit(1, 9);
    std::string digits;
    for (int i = 0; i < 6; ++i)
        digits += static_cast<char>('0' + digit(generator));
    return digits;
}

bool split_addition_line(std::string_view line, AdditionFields& fields) {
    for (std::string& f : fields)
        f.clear();
    line = trim_blanks(line);
    if (line.empty() || line.front() == '#')
        return false;
    size_t field = 0;
    size_t start = 0;
    for (size_t i = 0; i < line.size() && field + 1 < addition_field_count; ++i) {
        if (line[i] == '|') {
            fields[field++] = line.substr(start, i - start);
            start = i + 1;
        }
    }
    fields[field] = line.substr(start);
    return true;
}

TFlagSet parse_flag_field(std::string_view field) {
    TFlagSet set;
    for (size_t k = 0; k < 4; ++k) {
        if (field.size() < 8 * k + 8)
            break;
        uint32_t word = 0;
        bool ok = true;
        for (char c : field.substr(8 * k, 8)) {
            int d = hex_digit(c);
            if (d < 0) {
                ok = false;
                break;
            }
            word = word << 4 | static_cast<uint32_t>(d);
        }
        set.w[k] = ok ? word : 0;
    }
    return set;
}

bool parse_master_id(std::string_view field, int32_t& id) {
    id = 0;
    if (field.empty())
        return true;
    return try_str_to_int("$" + std::string(field), id);
}

AdditionParse parse_addition_line_values(std::string_view line, AdditionLine& out) {
    AdditionFields f;
    if (!split_addition_line(line, f))
        return AdditionParse::Ignored;
    if (!parse_master_id(f[13], out.master_id))
        return AdditionParse::BadMasterId;
    out.name = std::move(f[0]);
    out.zone_text = f[2];
    out.zone_id = str_to_int_def0(f[2]);
    out.category_id = str_to_int_def0(f[3]);
    out.x = str_to_int_def0(f[4]);
    out.y = str_to_int_def0(f[5]);
    out.level_min = str_to_int_def0(f[6]);
    out.level_max = str_to_int_def0(f[7]);
    out.first_field = str_to_int_def0(f[9]) & 0xFF;
    out.flags = parse_flag_field(f[12]);
    out.link = std::move(f[14]);
    out.comment = std::move(f[15]);
    return AdditionParse::Point;
}

std::string addition_line_text(const rItemdata& item, int32_t zone_id, int32_t category_id) {
    char flags[40];
    std::snprintf(flags, sizeof flags, "%08X%08X%08X%08X", item.flags.w[0], item.flags.w[1],
                  item.flags.w[2], item.flags.w[3]);
    char master[16] = "";
    if (item.master_id != 0)
        std::snprintf(master, sizeof master, "%06X", static_cast<uint32_t>(item.master_id));
    std::string line = item.name;
    line += "||" + std::to_string(zone_id) + '|' + std::to_string(category_id) + '|' +
            std::to_string(item.x) + '|' + std::to_string(item.y) + '|' +
            std::to_string(item.level_min) + '|' + std::to_string(item.level_max) + "|||||" +
            flags + '|' + master + '|' + (item.command ? item.command->code : std::string()) + '|' +
            item.comment;
    return line;
}

rnew_node addition_request(const AdditionLine& line) {
    rnew_node r;
    r.is_copy = line.first_field;
    r.x = line.x;
    r.y = line.y;
    r.name = line.name;
    r.zone_id = line.zone_id;
    r.category_id = line.category_id;
    r.comment = line.comment;
    r.level_min = line.level_min;
    r.level_max = line.level_max;
    r.flags = line.flags;
    r.master_id = line.master_id;
    r.from_master = false;
    r.link = line.link;
    r.has_item_data = true;
    return r;
}

float addition_score(float score, const std::string& name, const std::string& last_added_name) {
    if (is_hidden_name(name))
        score = 0.0f;
    if (name == last_added_name) {
        if (score == 0.5f)
            score = 0.025f;
        else if (score == 1.0f)
            score = 0.3f;
        else
            score = 0.0f;
    }
    return score;
}

// ---- Merging ----

namespace {

uint32_t position_key(int32_t x, int32_t y) {
    return uint32_t(x) << 16 | uint32_t(y);
}

bool in_zone_range(int32_t v) {
    return v >= 0 && v <= 0xFFFF;
}

// Display order of two points of one zone.
bool before(const TreeNode* a, const TreeNode* b) {
    if (a->parent->index != b->parent->index)
        return a->parent->index < b->parent->index;
    return a->index < b->index;
}

const std::string& link_code(const rItemdata& item) {
    static const std::string none;
    return item.command ? item.command->code : none;
}

int32_t category_id(const TreeNode* point) {
    return point->data->category ? point->data->category->id : 0;
}

bool identical(const TreeNode* point, const AdditionLine& a) {
    const rItemdata& p = *point->item();
    return p.name == a.name && category_id(point) == a.category_id && p.level_min == a.level_min &&
           p.level_max == a.level_max && same_flagset(p.flags, a.flags) && link_code(p) == a.link &&
           p.comment == a.comment;
}

} // namespace

std::string addition_line_text(const TreeNode* point) {
    const pMap_info* zone = point->data->owner_zone;
    return addition_line_text(*point->item(), zone ? zone->zone_id : 0, category_id(point));
}

TAdditionsMerger::TAdditionsMerger(const TData_map& map_data, TRealm_info& realm, Hooks hooks,
                                   bool strict)
    : map_data_(map_data), realm_(realm), hooks_(std::move(hooks)), strict_(strict) {}

TAdditionsMerger::Candidates* TAdditionsMerger::candidates(TreeNode* zone, int32_t x, int32_t y) {
    auto [it, inserted] = zones_.try_emplace(zone);
    if (inserted) {
        for (TreeNode* n = TPointsTree::next(zone); n && n->level > kLevelZone;
             n = TPointsTree::next(n))
            if (n->level == kLevelPoint && n->item())
                it->second[position_key(n->item()->x, n->item()->y)].push_back(n);
    }
    if (!in_zone_range(x) || !in_zone_range(y))
        return nullptr;
    auto found = it->second.find(position_key(x, y));
    return found == it->second.end() ? nullptr : &found->second;
}

void TAdditionsMerger::forget(TreeNode* point) {
    auto zone = zones_.find(point->parent->parent);
    if (zone == zones_.end())
        return;
    auto list = zone->second.find(position_key(point->item()->x, point->item()->y));
    if (list != zone->second.end())
        std::erase(list->second, point);
}

void TAdditionsMerger::remember(TreeNode* point) {
    if (!point->item() || !point->parent || !point->parent->parent)
        return;
    auto zone = zones_.find(point->parent->parent);
    if (zone == zones_.end())
        return;
    Candidates& list = zone->second[position_key(point->item()->x, point->item()->y)];
    list.insert(std::upper_bound(list.begin(), list.end(), point, before), point);
}

AdditionOutcome TAdditionsMerger::parse_addition_line(std::string_view text) {
    made_ = nullptr;
    AdditionLine a;
    switch (parse_addition_line_values(text, a)) {
    case AdditionParse::Ignored:
        return AdditionOutcome::Ignored;
    case AdditionParse::BadMasterId:
        return AdditionOutcome::Dropped;
    case AdditionParse::Point:
        break;
    }
    // A link string that cannot become a node is refused before anything changes.
    try {
        decode_link(a.link, 0);
    } catch (const EConvertError&) {
        return AdditionOutcome::Rejected;
    }

    bool add = true;
    bool replaced = false;
    float score = 1.0f;
    bool inherited_lock = false;
    if (TreeNode* zone = zone_node(map_data_, a.zone_id)) {
        int32_t checked_zone = 0;
        if (!try_str_to_int(a.zone_text, checked_zone))
            return AdditionOutcome::Dropped;
        if (Candidates* list = candidates(zone, a.x, a.y)) {
            for (TreeNode* p : *list) {
                const rItemdata& item = *p->item();
                if ((strict_ && a.master_id == 0) || identical(p, a)) {
                    const bool present = std::any_of(list->begin(), list->end(),
                                                     [&a](TreeNode* q) { return identical(q, a); });
                    return present ? AdditionOutcome::Present : AdditionOutcome::Rejected;
                }
                if (item.master_id != a.master_id)
                    continue;
                if (item.locked) {
                    if (item.name == "Master_Cancel" || is_hidden_name(a.name) ||
                        category_id(p) != a.category_id || link_code(item) != a.link)
                        return AdditionOutcome::Rejected;
                    inherited_lock = true;
                }
                // The point goes at once, even when a later check rejects the line.
                score = 0.5f;
                forget(p);
                if (!item.from_master && replaced_)
                    replaced_(addition_line_text(p));
                hooks_.destroy(p);
                replaced = true;
                break;
            }
        }
    }
    if (a.master_id != 0 && !replaced)
        add = false;
    if (a.master_id == 0 && is_hidden_name(a.name))
        add = false;
    if (!add)
        return AdditionOutcome::Rejected;

    realm_.additions_count += 1;
    realm_.additions_score += addition_score(score, a.name, realm_.last_added_name);
    realm_.last_added_name = a.name;

    rnew_node request = addition_request(a);
    request.locked = inherited_lock;
    made_ = hooks_.add(request);
    if (made_)
        remember(made_);
    return AdditionOutcome::Added;
}

namespace {

constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";

// Calls `line` for each line of an open file (CR LF, LF or CR ends) until it returns false,
// reading the file in pieces and adding its bytes to `digest`.
template <typename F>
AdditionsRead for_each_file_line(QFile& file, size_t limit, QCryptographicHash& digest,
                                 int64_t& size, F&& line) {
    std::vector<char> buffer(size_t(1) << 16);
    std::string pending; // a line that goes on in the next piece
    bool after_cr = false;
    size = 0;
    for (;;) {
        const qint64 n = file.read(buffer.data(), qint64(buffer.size()));
        if (n < 0)
            return AdditionsRead::Unreadable;
        if (n == 0)
            break;
        size += n;
        if (uint64_t(size) > limit)
            return AdditionsRead::TooLarge;
        const std::string_view piece(buffer.data(), size_t(n));
        digest.addData(QByteArrayView(piece.data(), n));
        size_t start = after_cr && piece.front() == '\n' ? 1 : 0;
        after_cr = false;
        for (;;) {
            const size_t end = piece.find_first_of("\r\n", start);
            if (end == std::string_view::npos) {
                pending.append(piece.substr(start));
                break;
            }
            bool more = true;
            if (pending.empty()) {
                more = line(piece.substr(start, end - start));
            } else {
                pending.append(piece.substr(start, end - start));
                more = line(std::string_view(pending));
                pending.clear();
            }
            if (!more)
                return AdditionsRead::Read;
            start = end + 1;
            if (piece[end] == '\r') {
                if (start == piece.size())
                    after_cr = true;
                else if (piece[start] == '\n')
                    ++start;
            }
        }
    }
    if (!pending.empty())
        line(std::string_view(pending));
    return AdditionsRead::Read;
}

} // namespace

namespace {

// Reads the lines after the header, handing each to `line` (trimmed, in Windows-1252) until it
// returns false.
AdditionsReadResult read_lines(const std::string& path, size_t limit,
                               const std::function<bool(std::string_view)>& line) {
    AdditionsReadResult result;
    QFile file;
    if (!open_for_reading(path, file)) {
        result.status =
            QFileInfo::exists(to_path(path)) ? AdditionsRead::Unreadable : AdditionsRead::Missing;
        return result;
    }
    if (uint64_t(file.size()) > limit) {
        result.status = AdditionsRead::TooLarge;
        return result;
    }
    QCryptographicHash digest(QCryptographicHash::Md5);
    bool header = true;
    bool utf8 = false;
    bool bad_header = false;
    std::string converted;
    const AdditionsRead read =
        for_each_file_line(file, limit, digest, result.size, [&](std::string_view text) {
            if (header && text.starts_with(utf8_bom)) {
                utf8 = true;
                text.remove_prefix(utf8_bom.size());
            }
            if (utf8) {
                converted = from_qstring(QString::fromUtf8(text.data(), qsizetype(text.size())));
                text = converted;
            }
            if (std::exchange(header, false)) {
                bad_header = !is_additions_header(text);
                return !bad_header;
            }
            result.merged = true;
            return line(trim_blanks(text));
        });
    // An empty file has no header either.
    result.status = read != AdditionsRead::Read      ? read
                    : bad_header || header           ? AdditionsRead::BadHeader
                    : file.error() != QFile::NoError ? AdditionsRead::Unreadable
                                                     : AdditionsRead::Read;
    if (result.status == AdditionsRead::Read)
        result.digest = digest.result();
    return result;
}

} // namespace

AdditionsReadResult merge_additions_file(const std::string& path, TAdditionsMerger& merger,
                                         const AdditionsMergeOptions& options) {
    int32_t rejected = 0;
    merger.on_replaced([&](const std::string& line) {
        ++rejected;
        if (options.unplaced)
            options.unplaced(line);
    });
    struct Unhook {
        TAdditionsMerger& merger;
        ~Unhook() { merger.on_replaced(nullptr); }
    } unhook{merger};
    AdditionsReadResult result = read_lines(path, options.limit, [&](std::string_view line) {
        if (options.read)
            options.read(line);
        const AdditionOutcome outcome = merger.parse_addition_line(line);
        if (outcome == AdditionOutcome::Ignored ||
            (outcome == AdditionOutcome::Present && options.again) ||
            (outcome == AdditionOutcome::Added && merger.made()))
            return true;
        ++rejected;
        if (options.unplaced)
            options.unplaced(line);
        return true;
    });
    result.rejected = rejected;
    return result;
}

AdditionsReadResult read_additions_lines(const std::string& path,
                                         const std::function<void(std::string_view)>& line,
                                         size_t limit) {
    return read_lines(path, limit, [&line](std::string_view text) {
        line(text);
        return true;
    });
}

std::string additions_file_text(const TPointsTree& tree, const std::string& digits,
                                const std::string& nickname) {
    std::string out = additions_header_line(digits, nickname) + "\r\n";
    out += additions_version_line;
    out += "\r\n";
    for (TreeNode* n = tree.first(); n; n = TPointsTree::next(n)) {
        const rItemdata* item = n->level == kLevelPoint ? n->item() : nullptr;
        if (!item || item->from_master)
            continue;
        out += addition_line_text(n);
        out += "\r\n";
    }
    return out;
}

// ---- The files of one load ----

TAdditionsFiles additions_files;

namespace {

QByteArray text_digest(std::string_view text) {
    return QCryptographicHash::hash(QByteArrayView(text.data(), qsizetype(text.size())),
                                    QCryptographicHash::Md5);
}

// Copies a plain file, a piece at a time, to a new file written atomically.
bool copy_file_atomic(const std::string& from, const std::string& to) {
    QFile in;
    if (!open_for_reading(from, in))
        return false;
    QSaveFile out(to_path(to));
    if (!out.open(QIODevice::WriteOnly))
        return false;
    std::vector<char> buffer(size_t(1) << 16);
    for (qint64 n; (n = in.read(buffer.data(), qint64(buffer.size()))) != 0;) {
        if (n < 0 || out.write(buffer.data(), n) != n) {
            out.cancelWriting();
            return false;
        }
    }
    if (!out.flush()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

// The last limit + 1 bytes of a plain file, all of it when it is shorter.
bool read_file_tail(const std::string& path, size_t limit, std::string& out) {
    out.clear();
    QFile file;
    if (!open_for_reading(path, file))
        return false;
    const qint64 size = file.size();
    bool longer = false;
    return file.seek(size - std::min(size, qint64(limit) + 1)) &&
           read_rest(file, out, limit + 1, longer);
}

} // namespace

void TAdditionsFiles::reset(const std::string& path) {
    *this = TAdditionsFiles();
    path_ = path;
}

void TAdditionsFiles::save_beside() {
    beside_ = true;
    // An existing file beside counts as another program's until it is merged.
    seen_[beside()] = Seen{file_exists(beside()), false, {}, 0};
}

AdditionsReadResult TAdditionsFiles::merge(const std::string& file, TAdditionsMerger& merger,
                                           const std::string& state_of, AdditionsLineSet* lines) {
    AdditionsMergeOptions options;
    options.again = state_of != path_;
    options.unplaced = [this](std::string_view line) { unplaced_.add(line); };
    if (lines)
        options.read = [lines](std::string_view line) { lines->emplace(line); };
    const AdditionsReadResult result = merge_additions_file(file, merger, options);
    remember(file, result);
    return result;
}

AdditionsReadResult TAdditionsFiles::scan(const std::string& file, AdditionsLineSet* lines) {
    const AdditionsReadResult result = read_additions_lines(file, [lines](std::string_view line) {
        if (lines)
            lines->emplace(line);
    });
    remember(file, result);
    return result;
}

void TAdditionsFiles::remember(const std::string& file, const AdditionsReadResult& result) {
    seen_[file] = Seen{result.status != AdditionsRead::Missing,
                       result.status == AdditionsRead::Read, result.digest, result.size};
}

void TAdditionsFiles::supersede(const std::string& file, const AdditionsLineSet& kept) {
    // Only what reads whole may go.
    TNewestLines lacking(additions_backup_limit);
    const AdditionsReadResult result =
        read_additions_lines(file, [&lacking, &kept](std::string_view line) {
            if (!line.empty() && line.front() != '#' && !kept.contains(std::string(line)))
                lacking.add(line);
        });
    remember(file, result);
    if (result.status != AdditionsRead::Read)
        return;
    for (std::string& line : lacking.lines())
        if (backed_up_.insert(line).second)
            unplaced_.add(line);
    take_in(file);
}

std::string TAdditionsFiles::base_line(const std::string& file) const {
    const auto seen = seen_.find(file);
    if (seen == seen_.end() || (seen->second.exists && !seen->second.read))
        return {};
    return std::string(base_prefix) +
           (seen->second.exists ? seen->second.digest.toHex().toStdString() : "none");
}

bool TAdditionsFiles::unchanged(const std::string& file) {
    const auto seen = seen_.find(file);
    if (seen == seen_.end() || !seen->second.read)
        return false;
    QFile f;
    if (!open_for_reading(file, f) || f.size() != seen->second.size)
        return false;
    QCryptographicHash digest(QCryptographicHash::Md5);
    return digest.addData(&f) && digest.result() == seen->second.digest;
}

TAdditionsFiles::Written TAdditionsFiles::write(const std::string& file, const std::string& text,
                                                const std::string& heading) {
    Written w;
    w.file = file == path_ ? target() : file;
    if (text.size() > additions_save_limit) {
        w.too_large = true;
        return w;
    }
    // Another program's version (or an unread file) is kept whole before it is written over.
    if (seen_.contains(w.file) && file_exists(w.file) && !unchanged(w.file)) {
        w.set_aside = additions_free_path(w.file, ".other");
        if (!copy_file_atomic(w.file, w.set_aside))
            return w;
    }
    if (!unplaced_.empty()) {
        const std::string backup_file = additions_backup_path(file);
        std::string backup;
        if (file_exists(backup_file) &&
            !read_file_tail(backup_file, additions_backup_limit, backup))
            return w;
        if (!write_file_atomic(backup_file,
                               backup_with_lines(std::move(backup), heading, unplaced_.lines(),
                                                 additions_backup_limit)))
            return w;
        unplaced_.clear();
    }
    if (!write_file_atomic(w.file, text))
        return w;
    w.ok = true;
    seen_[w.file] = Seen{true, true, text_digest(text), int64_t(text.size())};
    if (beside_ && w.file == beside()) {
        w.first_beside = !beside_written_;
        beside_written_ = true;
    }
    if (w.file == target()) {
        // The files taken in are in the target or in the backup now. A version changed since the
        // load stays, for the next load to take in.
        for (const std::string& taken : taken_in_) {
            if (taken == w.file)
                continue;
            if (unchanged(taken))
                QFile::remove(to_path(taken));
            seen_.erase(taken);
        }
        taken_in_.clear();
    }
    return w;
}

std::string current_additions_path() {
    const std::string path = additions_file_path();
    return additions_files.path() == path ? additions_files.target() : path;
}

namespace {

// A folder as the comment line names it: its canonical path, percent-encoded.
std::string installation_key(const std::string& folder) {
    const QFileInfo info(to_path(folder));
    QString path = info.canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(info.absoluteFilePath());
    return QFile::encodeName(path).toPercentEncoding("/").toStdString();
}

// What the comment lines at the head of a copy name.
struct CopyMarks {
    std::string installation;
    std::string base;
};

CopyMarks copy_marks(const std::string& file) {
    std::string head;
    bool longer = false;
    CopyMarks marks;
    if (!read_file(file, head, 64 << 10, &longer))
        return marks;
    int n = 0;
    for_each_text_line(head, [&](std::string_view line) {
        if (++n > 6)
            return;
        if (marks.installation.empty() && line.starts_with(installation_prefix))
            marks.installation = line.substr(installation_prefix.size());
        if (marks.base.empty() && line.starts_with(base_prefix))
            marks.base = line.substr(base_prefix.size());
    });
    return marks;
}

// The number of a copy of the file named `base` (base + ".unsaved" + number, 1 without number);
// 0 for another name.
int fallback_number(const std::string& name, const std::string& base) {
    const std::string prefix = base + ".unsaved";
    if (!name.starts_with(prefix))
        return 0;
    const std::string digits = name.substr(prefix.size());
    if (digits.empty())
        return 1;
    if (digits.size() > 6 || digits.front() == '0' ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoi(digits);
}

int64_t modification_time(const std::string& file) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(std::filesystem::path(file), error);
    return error ? 0
                 : std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch())
                       .count();
}

} // namespace

std::string installation_line() {
    return std::string(installation_prefix) + installation_key(app_path);
}

std::string write_additions_fallback(const std::string& file, const std::string& text) {
    // After the two header lines, where every reader passes over a "#" line.
    size_t at = text.find('\n');
    at = at == std::string::npos ? text.size() : text.find('\n', at + 1);
    at = at == std::string::npos ? text.size() : at + 1;
    std::string marked = text.substr(0, at);
    with_line_end(marked) += installation_line() + "\r\n";
    if (const std::string base = additions_files.base_line(file); !base.empty())
        marked += base + "\r\n";
    marked += std::string_view(text).substr(at);
    const std::string name = file.substr(file.find_last_of('/') + 1);
    for (const std::string& folder :
         {file.substr(0, file.size() - name.size()), native_path(QDir::homePath()) + "/"}) {
        const std::string fallback = additions_free_path(folder + name, ".unsaved");
        if (directory_exists(folder) && write_file_atomic(fallback, marked))
            return fallback;
    }
    return {};
}

TUnsavedFiles find_unsaved_additions(const std::string& path) {
    const std::string name = path.substr(path.find_last_of('/') + 1);
    const std::string beside_name = additions_beside_path(name);
    const std::string folder = path.substr(0, path.size() - name.size());
    const std::string home = native_path(QDir::homePath()) + "/";
    const bool home_apart = installation_key(home) != installation_key(folder);
    const std::string here = installation_key(app_path);
    const auto gone = [](const std::string& installation) {
        return installation.empty() ||
               !directory_exists(
                   QByteArray::fromPercentEncoding(QByteArray::fromStdString(installation))
                       .toStdString());
    };
    TUnsavedFiles found;
    for (const std::string& place : {folder, home}) {
        const bool in_home = place == home;
        if (in_home && !home_apart)
            continue;
        size_t mine = 0;
        size_t others = 0;
        const QStringList entries =
            QDir(to_path(place))
                .entryList({QStringLiteral("Vev_ajouts_*.unsaved*")}, QDir::Files, QDir::Name);
        for (const QString& entry : entries) {
            const std::string entry_name = native_path(entry);
            const int of_file = fallback_number(entry_name, name);
            const int of_beside = fallback_number(entry_name, beside_name);
            // Another database's copies count apart: they never hide this one's.
            if (of_file == 0 && of_beside == 0) {
                if (in_home && others < max_unsaved_files) {
                    ++others;
                    if (gone(copy_marks(place + entry_name).installation))
                        found.unknown.push_back(place + entry_name);
                }
                continue;
            }
            if (mine == max_unsaved_files)
                continue;
            ++mine;
            const std::string file = place + entry_name;
            const CopyMarks marks = copy_marks(file);
            if (in_home && marks.installation != here) {
                if (gone(marks.installation))
                    found.unknown.push_back(file);
                continue;
            }
            // What a copy says of its file's state holds only in the installation that made it.
            const std::string base = marks.installation == here ? marks.base : std::string();
            (of_file ? found.of_file : found.of_beside)
                .push_back({file, base, modification_time(file), of_file + of_beside});
        }
    }
    // Oldest first; a later copy was made over an earlier one that its session took in.
    for (auto* copies : {&found.of_file, &found.of_beside})
        std::stable_sort(copies->begin(), copies->end(),
                         [](const TUnsavedCopy& a, const TUnsavedCopy& b) {
                             return std::pair(a.time, a.number) < std::pair(b.time, b.number);
                         });
    std::sort(found.unknown.begin(), found.unknown.end());
    return found;
}
