#include "database/additions_file.h"

#include "database/database_list.h"
#include "foundation/errors.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

bool is_additions_header(std::string_view line) {
    return line.substr(0, additions_signature.size()) == additions_signature;
}

namespace {

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
    return without_txt(path) + ".new.txt";
}

std::string additions_free_path(const std::string& path, const std::string& tag) {
    std::string free = without_txt(path) + tag + ".txt";
    for (int n = 2; file_exists(free); ++n)
        free = without_txt(path) + tag + std::to_string(n) + ".txt";
    return free;
}

std::vector<std::string> dropped_lines(std::string_view before, std::string_view after) {
    auto point_line = [](std::string_view line) {
        line = trim_blanks(line);
        return line.empty() || line.front() == '#' ? std::string_view() : line;
    };
    std::unordered_map<std::string_view, int> kept;
    for_each_text_line(after, [&](std::string_view line) {
        if (!point_line(line).empty())
            ++kept[point_line(line)];
    });
    std::vector<std::string> dropped;
    for_each_text_line(before, [&](std::string_view line) {
        const std::string_view point = point_line(line);
        if (point.empty())
            return;
        auto it = kept.find(point);
        if (it != kept.end() && it->second > 0)
            --it->second;
        else
            dropped.emplace_back(point);
    });
    return dropped;
}

std::string backup_with_lines(std::string backup, const std::string& heading,
                              const std::vector<std::string>& lines, size_t limit) {
    std::string block = heading + "\r\n";
    for (const std::string& line : lines)
        block += line + "\r\n";
    with_line_end(backup);
    if (backup.size() + block.size() > limit) {
        // The oldest lines go, from a comment line on where one is left; the new block stays.
        const size_t excess = backup.size() + block.size() - limit;
        size_t cut = backup.find("\n#", excess - 1);
        if (cut == std::string::npos)
            cut = backup.find('\n', excess - 1);
        backup = cut == std::string::npos ? std::string() : backup.substr(cut + 1);
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
                    add = false;
                    break;
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
                if (!item.from_master)
                    --kept_;
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
    if (TreeNode* node = hooks_.add(request)) {
        remember(node);
        ++kept_;
    }
    return AdditionOutcome::Added;
}

AdditionsReadResult merge_additions_text(std::string& text, TAdditionsMerger& merger) {
    AdditionsReadResult result;
    constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";
    if (text.starts_with(utf8_bom))
        text = from_qstring(QString::fromUtf8(text.data() + utf8_bom.size(),
                                              qsizetype(text.size() - utf8_bom.size())));
    const size_t header_end = std::min(text.find_first_of("\r\n"), text.size());
    if (!is_additions_header(std::string_view(text).substr(0, header_end))) {
        result.status = AdditionsRead::BadHeader;
        return result;
    }
    result.status = AdditionsRead::Read;
    int32_t point_lines = 0;
    for_each_text_line(std::string_view(text).substr(header_end), [&](std::string_view line) {
        if (merger.parse_addition_line(line) != AdditionOutcome::Ignored)
            ++point_lines;
    });
    // Rejected lines, lines the tree has no place for and lines replaced by later ones.
    result.rejected = point_lines - merger.kept();
    return result;
}

AdditionsReadResult merge_additions_file(const std::string& path, TAdditionsMerger& merger) {
    std::string text;
    if (!file_exists(path))
        return {};
    if (!read_file(path, text))
        return {AdditionsRead::Unreadable, 0};
    return merge_additions_text(text, merger);
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
        const pMap_info* zone = n->data->owner_zone;
        out += addition_line_text(*item, zone ? zone->zone_id : 0, category_id(n));
        out += "\r\n";
    }
    return out;
}

// ---- The files of one load ----

TAdditionsFiles additions_files;

namespace {

size_t text_hash(std::string_view text) {
    return std::hash<std::string_view>()(text);
}

} // namespace

void TAdditionsFiles::reset(const std::string& path) {
    *this = TAdditionsFiles();
    path_ = path;
}

void TAdditionsFiles::save_beside() {
    beside_ = true;
    // An existing file beside counts as another program's until it is merged.
    seen_[beside()] = Seen{file_exists(beside()), false, 0};
}

AdditionsReadResult TAdditionsFiles::merge(const std::string& file, TAdditionsMerger& merger) {
    std::string text;
    Seen& seen = seen_[file];
    seen = Seen{file_exists(file), false, 0};
    if (!seen.exists)
        return {};
    if (!read_file(file, text))
        return {AdditionsRead::Unreadable, 0};
    seen.hash = text_hash(text);
    const AdditionsReadResult result = merge_additions_text(text, merger);
    if (result.status == AdditionsRead::Read) {
        seen.read = true;
        with_line_end(loaded_) += text;
    }
    return result;
}

TAdditionsFiles::Written TAdditionsFiles::write(const std::string& file, const std::string& text,
                                                bool keep_dropped, const std::string& heading) {
    Written w;
    w.file = file == path_ ? target() : file;
    // Another program's version (or an unread file) is kept whole before it is written over.
    auto seen = seen_.find(w.file);
    if (seen != seen_.end() && file_exists(w.file)) {
        std::string now;
        if (!read_file(w.file, now))
            return w;
        if (!seen->second.read || text_hash(now) != seen->second.hash) {
            w.set_aside = additions_free_path(w.file, ".other");
            if (!write_file_atomic(w.set_aside, now))
                return w;
        }
    }
    const std::vector<std::string> dropped =
        keep_dropped || fold_ ? dropped_lines(loaded_, text) : std::vector<std::string>();
    if (!dropped.empty()) {
        const std::string backup_file = additions_backup_path(file);
        std::string backup;
        if (file_exists(backup_file) && !read_file(backup_file, backup))
            return w;
        if (!write_file_atomic(backup_file, backup_with_lines(std::move(backup), heading, dropped,
                                                              additions_backup_limit)))
            return w;
    }
    if (!write_file_atomic(w.file, text))
        return w;
    w.ok = true;
    seen_[w.file] = Seen{true, true, text_hash(text)};
    loaded_ = text;
    if (beside_ && w.file == beside()) {
        w.first_beside = !beside_written_;
        beside_written_ = true;
    }
    if (fold_ && w.file == path_) {
        // The file beside is taken in: its lines are in the additions file or in the backup. A
        // version changed since the load stays, for the next load to take in.
        fold_ = false;
        std::string left;
        if (read_file(beside(), left) && text_hash(left) == seen_[beside()].hash)
            QFile::remove(to_path(beside()));
        seen_.erase(beside());
    }
    return w;
}

std::string current_additions_path() {
    const std::string path = additions_file_path();
    return additions_files.path() == path ? additions_files.target() : path;
}

std::string write_additions_fallback(const std::string& file, const std::string& text) {
    const std::string name = file.substr(file.find_last_of('/') + 1);
    for (const std::string& folder :
         {file.substr(0, file.size() - name.size()), native_path(QDir::homePath()) + "/"}) {
        const std::string fallback = additions_free_path(folder + name, ".unsaved");
        if (directory_exists(folder) && write_file_atomic(fallback, text))
            return fallback;
    }
    return {};
}
