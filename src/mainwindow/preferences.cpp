#include "mainwindow/preferences.h"

#include "foundation/errors.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "mainwindow/pref_convert.h"

#include <algorithm>
#include <type_traits>

TPreference rPreference;

namespace {

constexpr size_t kKeyLength = 7; // "[" + four letters + "]="
constexpr size_t kNicknameMax = 40;
// The search results' columns (name, score, category, zone) and the search dialog's heights:
// no shorter than its controls, no taller than the tallest screens.
constexpr int32_t kResultColumns = 4;
constexpr int32_t kSearchDialogMinHeight = 310;
constexpr int32_t kSearchDialogMaxHeight = 2160;
const char* const kHeader = "#fichier autog\xE9n\xE9r\xE9, de pas \xE9"
                            "diter.";
const char* const kVersionLine = "[VERS]=1";

// Setters: each key applies its value to one member of the record or of the outside settings.
using Setter = void (*)(const std::string& value, TPreference& pref, TOutsideSettings& outside);

template <class C, class T> C owner_of(T C::*);

template <auto Field> auto& field_of(TPreference& pref, TOutsideSettings& outside) {
    using Owner = decltype(owner_of(Field));
    if constexpr (std::is_same_v<Owner, TPreference>)
        return pref.*Field;
    else
        return outside.*Field;
}

template <auto Field> void set_text(const std::string& v, TPreference& p, TOutsideSettings& o) {
    field_of<Field>(p, o) = v;
}
template <auto Field> void set_bool(const std::string& v, TPreference& p, TOutsideSettings& o) {
    field_of<Field>(p, o) = pref_str_to_bool(v);
}
template <auto Field> void set_int(const std::string& v, TPreference& p, TOutsideSettings& o) {
    field_of<Field>(p, o) = pref_str_to_int(v);
}

void add_archive(const std::string& v, TPreference& p, TOutsideSettings&) {
    p.MPQP.push_back(v);
}

void set_last_check(const std::string& v, TPreference& p, TOutsideSettings&) {
    std::string comma = v;
    std::replace(comma.begin(), comma.end(), '.', ',');
    p.DATW = pref_str_to_float(comma);
}

void set_level_min(const std::string& v, TPreference& p, TOutsideSettings&) {
    p.MINN = pref_str_to_int(v.empty() ? "0" : v);
}

void set_level_max(const std::string& v, TPreference& p, TOutsideSettings&) {
    p.MAXN = pref_str_to_int(v.empty() ? "99" : v);
}

void set_language(const std::string& v, TPreference&, TOutsideSettings& o) {
    o.language = v.empty() ? "fran\xE7"
                             "ais"
                           : v;
}

void set_nickname(const std::string& v, TPreference& p, TOutsideSettings&) {
    p.PSEU = v.substr(0, kNicknameMax);
}

struct KeyRule {
    const char* key;
    Setter apply;
};

// Compared in this order; the first match applies.
const KeyRule kRules[] = {
    {"[MPQP]=", add_archive},
    {"[GPAT]=", set_text<&TPreference::GPAT>},
    {"[VALT]=", set_text<&TPreference::VALT>},
    {"[LOWD]=", set_bool<&TPreference::LOWD>},
    {"[CHEM]=", set_bool<&TOutsideSettings::paths_down>},
    {"[DBDB]=", set_text<&TOutsideSettings::db_name>},
    {"[ALFA]=", set_bool<&TPreference::ALFA>},
    {"[ALFV]=", set_int<&TPreference::ALFV>},
    {"[MAHD]=", set_int<&TPreference::MAHD>},
    {"[LGNA]=", set_bool<&TOutsideSettings::legend_down>},
    {"[TYPS]=", set_bool<&TOutsideSettings::tips_down>},
    {"[EDIB]=", set_bool<&TPreference::EDIB>},
    {"[EDIM]=", set_text<&TOutsideSettings::edit_db_name>},
    {"[AVCT]=", set_bool<&TPreference::AVCT>},
    {"[WPSU]=", set_bool<&TPreference::WPSU>},
    {"[LODA]=", set_int<&TPreference::LODA>},
    {"[LODB]=", set_int<&TPreference::LODB>},
    {"[LODC]=", set_int<&TPreference::LODC>},
    {"[LODV]=", set_int<&TPreference::LODV>},
    {"[CLVL]=", set_bool<&TPreference::CLVL>},
    {"[LIAR]=", set_bool<&TPreference::LIAR>},
    {"[MCUR]=", set_bool<&TPreference::MCUR>},
    {"[DATU]=", set_int<&TPreference::DATU>},
    {"[TIME]=", set_int<&TPreference::TIME>},
    {"[DATW]=", set_last_check},
    {"[AUTO]=", set_bool<&TPreference::AUTO>},
    {"[NIVP]=", set_int<&TPreference::NIVP>},
    {"[MASL]=", set_bool<&TOutsideSettings::side_panel>},
    {"[MAPW]=", set_int<&TOutsideSettings::window_width>},
    {"[MAPH]=", set_int<&TOutsideSettings::window_height>},
    {"[MAPT]=", set_int<&TOutsideSettings::window_top>},
    {"[MAPL]=", set_int<&TOutsideSettings::window_left>},
    {"[MINN]=", set_level_min},
    {"[MAXN]=", set_level_max},
    {"[LANG]=", set_language},
    {"[PRXS]=", set_text<&TPreference::PRXS>},
    {"[PRXN]=", set_text<&TPreference::PRXN>},
    {"[PRXM]=", set_text<&TPreference::PRXM>},
    {"[PRXP]=", set_int<&TPreference::PRXP>},
    {"[HTTP]=", set_int<&TPreference::HTTP>},
    {"[PRXB]=", set_bool<&TPreference::PRXB>},
    {"[PSEU]=", set_nickname},
    {"[LOCR]=", set_int<&TPreference::LOCR>},
    {"[LOCX]=", set_int<&TOutsideSettings::view_x>},
    {"[LOCY]=", set_int<&TOutsideSettings::view_y>},
    {"[LOCZ]=", set_int<&TOutsideSettings::zoom>},
    {"[LOCA]=", set_bool<&TPreference::LOCA>},
    {"[SAOM]=", set_bool<&TPreference::SAOM>},
    {"[SPOM]=", set_bool<&TPreference::SPOM>},
    {"[STSC]=", set_int<&TPreference::STSC>},
    {"[SFHE]=", set_int<&TPreference::SFHE>},
};

// A hand-edited file may hold numbers that the program's own controls never set: they are
// brought within the ranges of those controls, the level range and the detail thresholds in order.
void keep_in_range(TPreference& p) {
    p.MINN = std::clamp(p.MINN, 0, 99);
    p.MAXN = std::clamp(p.MAXN, 0, 99);
    if (p.MINN > p.MAXN)
        std::swap(p.MINN, p.MAXN);
    p.NIVP = std::clamp(p.NIVP, 1, 70);
    p.ALFV = std::clamp(p.ALFV, 40, 255);
    p.TIME = std::clamp(p.TIME, 0, 60000); // 0 and less alike keep the hint
    p.LODA = std::clamp(p.LODA, 20, 1750);
    p.LODB = std::clamp(p.LODB, p.LODA, 1750);
    p.LODC = std::clamp(p.LODC, p.LODB, 1750);
    p.LODV = std::clamp(p.LODV, 20, 1750);
    p.MAHD = std::clamp(p.MAHD, 512, 1024);
    if (p.DATU < 0 || p.DATU > 4)
        p.DATU = 4; // as the start-up reads it: no check by period
    p.PRXP = std::clamp(p.PRXP, 0, 65535);
    p.STSC = std::clamp(p.STSC, 0, kResultColumns - 1);
    p.SFHE = std::clamp(p.SFHE, kSearchDialogMinHeight, kSearchDialogMaxHeight);
}

std::string error_box_text(const std::string& reason) {
    return "prefs error [" + reason + "]";
}

// One "key=value" line with its CR LF; a line end inside the value would start a new setting.
void add_line(std::string& out, const char* key, std::string value) {
    std::replace(value.begin(), value.end(), '\r', ' ');
    std::replace(value.begin(), value.end(), '\n', ' ');
    out += key;
    out += value;
    out += "\r\n";
}

void add_line(std::string& out, const char* key, int32_t value) {
    add_line(out, key, std::to_string(value));
}

void add_line(std::string& out, const char* key, bool value) {
    add_line(out, key, pref_bool_to_str(value));
}

void add_line(std::string& out, const char* key, const char* value) = delete;

} // namespace

bool parse_pref_line(const std::string& line, TPreference& pref, TOutsideSettings& outside,
                     std::string* error_text) {
    if (line.size() < kKeyLength)
        return true;
    const std::string key = line.substr(0, kKeyLength);
    for (const KeyRule& rule : kRules) {
        if (key != rule.key)
            continue;
        try {
            rule.apply(line.substr(kKeyLength), pref, outside);
        } catch (const EConvertError& e) {
            if (error_text)
                *error_text = error_box_text(e.what());
            return false;
        }
        return true;
    }
    return true;
}

bool read_preferences(const std::string& path, TPreference& pref, TOutsideSettings& outside,
                      std::string* error_text) {
    if (!file_exists(path))
        return true;
    std::vector<std::string> lines;
    bool cut = false;
    if (!read_text_lines(path, TTextLimits{max_pref_size}, lines, &cut)) {
        if (error_text)
            *error_text = error_box_text("cannot read " + path_text(path));
        return false;
    }
    // Past the limit the last line read may be cut short: it is left out with the rest.
    if (cut && !lines.empty())
        lines.pop_back();
    if (lines.size() < 2 || lines[1] != kVersionLine)
        return true;
    bool ok = true;
    for (size_t i = 2; i < lines.size() && ok; ++i)
        ok = parse_pref_line(lines[i], pref, outside, error_text);
    keep_in_range(pref);
    if (ok && cut && error_text)
        *error_text = error_box_text("pref.ini is larger than " + std::to_string(max_pref_size) +
                                     " bytes: the rest is not read");
    return ok && !cut;
}

std::string format_preferences(const TPreference& pref, const TOutsideSettings& outside) {
    std::string out;
    out += std::string(kHeader) + "\r\n";
    out += std::string(kVersionLine) + "\r\n";
    for (const std::string& path : pref.MPQP)
        add_line(out, "[MPQP]=", path);
    add_line(out, "[PSEU]=", pref.PSEU);
    add_line(out, "[LANG]=", outside.language);
    add_line(out, "[LOWD]=", pref.LOWD);
    add_line(out, "[GPAT]=", pref.GPAT);
    add_line(out, "[VALT]=", pref.VALT);
    add_line(out, "[DBDB]=", outside.db_name);
    add_line(out, "[PRXS]=", pref.PRXS);
    add_line(out, "[PRXP]=", pref.PRXP);
    add_line(out, "[PRXN]=", pref.PRXN);
    add_line(out, "[PRXM]=", pref.PRXM);
    add_line(out, "[PRXB]=", pref.PRXB);
    add_line(out, "[HTTP]=", pref.HTTP);
    add_line(out, "[LIAR]=", pref.LIAR);
    add_line(out, "[LGNA]=", outside.legend_down);
    add_line(out, "[LOCR]=", outside.current_continent);
    add_line(out, "[LOCX]=", outside.view_x);
    add_line(out, "[LOCY]=", outside.view_y);
    add_line(out, "[LOCZ]=", outside.zoom);
    add_line(out, "[LOCA]=", pref.LOCA);
    add_line(out, "[EDIB]=", pref.EDIB);
    add_line(out, "[EDIM]=", outside.edit_db_name);
    add_line(out, "[CLVL]=", pref.CLVL);
    add_line(out, "[TYPS]=", outside.tips_down);
    add_line(out, "[LODA]=", pref.LODA);
    add_line(out, "[LODB]=", pref.LODB);
    add_line(out, "[LODC]=", pref.LODC);
    add_line(out, "[LODV]=", pref.LODV);
    add_line(out, "[MAHD]=", pref.MAHD);
    add_line(out, "[AVCT]=", pref.AVCT);
    add_line(out, "[WPSU]=", pref.WPSU);
    add_line(out, "[AUTO]=", pref.AUTO);
    add_line(out, "[NIVP]=", pref.NIVP);
    add_line(out, "[TIME]=", pref.TIME);
    add_line(out, "[MASL]=", outside.side_panel);
    add_line(out, "[DATU]=", pref.DATU);
    add_line(out, "[DATW]=", pref_float_to_str(pref.DATW));
    add_line(out, "[MAPW]=", outside.window_width);
    add_line(out, "[MAPH]=", outside.window_height);
    add_line(out, "[MAPT]=", outside.window_top);
    add_line(out, "[MAPL]=", outside.window_left);
    add_line(out, "[MINN]=", outside.level_min_text);
    add_line(out, "[MAXN]=", outside.level_max_text);
    add_line(out, "[CHEM]=", outside.paths_down);
    add_line(out, "[MCUR]=", pref.MCUR);
    add_line(out, "[SAOM]=", pref.SAOM);
    add_line(out, "[SPOM]=", pref.SPOM);
    add_line(out, "[STSC]=", pref.STSC);
    add_line(out, "[SFHE]=", pref.SFHE);
    add_line(out, "[ALFA]=", pref.ALFA);
    add_line(out, "[ALFV]=", pref.ALFV);
    return out;
}

bool write_preferences(const std::string& path, const TPreference& pref,
                       const TOutsideSettings& outside) {
    return write_file_atomic(path, format_preferences(pref, outside));
}
