#include "foundation/Data.h"

#include "foundation/binary_io.h"
#include "foundation/errors.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"

#include <algorithm>

namespace {

// catpref.bin keeps the style as a set: bit 0 bold, 1 italic, 2 underline, 3 strike-out.
TFontStyles catpref_style(uint8_t value) {
    return value & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
}

} // namespace

TFontStyles style_from_byte(uint8_t value) {
    switch (value) {
    case 1:
        return fsBold;
    case 2:
        return fsItalic;
    case 3:
        return fsBold | fsItalic;
    default:
        return 0;
    }
}

QFont label_font(const std::string& name, int size, TFontStyles style, QFont font) {
    font.setFamily(to_qstring(name));
    if (size > 0)
        font.setPointSize(size);
    font.setBold(style & fsBold);
    font.setItalic(style & fsItalic);
    font.setUnderline(style & fsUnderline);
    font.setStrikeOut(style & fsStrikeOut);
    return font;
}

void apply_font_look(rCateg& category, const std::string& name, int size, TFontStyles style) {
    category.font_size = size;
    category.font = label_font(name, size, style, category.font);
}

TFontStyles font_styles(const QFont& font) {
    TFontStyles s = 0;
    if (font.bold())
        s |= fsBold;
    if (font.italic())
        s |= fsItalic;
    if (font.underline())
        s |= fsUnderline;
    if (font.strikeOut())
        s |= fsStrikeOut;
    return s;
}

TData_common::TData_common(const std::string& master, const std::string& catpref, bool keep_going)
    : catpref_path_(catpref.empty() ? app_path + "catpref.bin" : catpref) {
    const std::string& file = master.empty() ? master_file : master;
    load_categories(file);
    load_catpref(catpref_path_);
    if (categories.empty())
        show_message(15, false);
    try {
        load_flagspecs(file);
    } catch (const EConvertError& e) {
        if (keep_going) {
            property_error = e.what();
            return;
        }
        save_catpref(catpref_path_);
        throw;
    } catch (...) {
        save_catpref(catpref_path_);
        throw;
    }
}

TData_common::~TData_common() {
    save_catpref(catpref_path_);
}

void TData_common::load_categories(const std::string& file_name) {
    QImage strip;
    std::string icons;
    if (load_section(icons, file_name, 7))
        strip = read_icon_strip(icons);
    std::string records;
    if (!load_section(records, file_name, 4))
        return;
    ByteReader r(records);
    uint8_t counter = 0;
    while (r.remaining() >= category_record_size) {
        if (categories.size() == kMaxCategories) {
            log_outside_limit(path_text(file_name) + " (section 4)",
                              std::to_string(kMaxCategories) + " categories", true);
            break;
        }
        const std::string record = r.bytes(category_record_size);
        ByteReader rec(record);
        auto c = std::make_unique<rCateg>();
        c->file_index = counter;
        c->name = rec.short_string(20);
        c->id = rec.u8();
        c->tree_icon = rec.u8();
        c->type = rec.u8();
        c->colour = rec.i32();
        c->icon_index = rec.i32();
        c->imposes_default_name = rec.u8() != 0;
        c->default_name = rec.short_string(20);
        c->shown = rec.u8() != 0;
        c->link_target = rec.u8() != 0;
        c->detail_level = rec.u8();
        TFontStyles style = style_from_byte(rec.u8());
        std::string font_name = rec.short_string(20);
        uint8_t font_size = rec.u8();
        c->id_link_prefix = rec.short_string(80);
        c->region_pass = rec.u8();
        c->comment_limit = rec.u8() * 10;
        c->visible_on_map = false;
        apply_font_look(*c, font_name, font_size, style);
        c->default_colour = c->colour;
        c->default_shown = c->shown;
        c->default_font_name = font_name;
        c->default_font_size = font_size;
        c->default_font_style = style;
        c->default_icon_index = c->icon_index;
        c->icon = cut_icon(strip, 11, c->icon_index);
        categories.push_back(std::move(c));
        ++counter;
    }
}

void TData_common::load_catpref(const std::string& file_name) {
    std::string data;
    bool past_limit = false;
    if (!read_file(file_name, data, max_catpref_size, &past_limit))
        return;
    if (past_limit)
        log_outside_limit(path_text(file_name),
                          std::to_string(max_catpref_size / catpref_record_size) + " records",
                          true);
    ByteReader r(data);
    while (r.remaining() >= catpref_record_size) {
        std::string record = r.bytes(catpref_record_size);
        ByteReader rec(record);
        uint8_t id = rec.u8();
        rec.skip(3);
        TColor colour = rec.i32();
        int32_t icon_index = rec.i32();
        bool shown = rec.u8() != 0;
        TFontStyles style = catpref_style(rec.u8());
        std::string font_name = rec.short_string(40);
        uint8_t font_size = rec.u8();
        auto category = std::find_if(categories.begin(), categories.end(),
                                     [id](const auto& c) { return c->id == id; });
        if (category == categories.end()) {
            // Another database's category: kept for the next save, the last record of an id
            // winning as it would when applied.
            auto kept = std::find_if(other_catpref_.begin(), other_catpref_.end(),
                                     [id](const std::string& k) { return uint8_t(k[0]) == id; });
            if (kept == other_catpref_.end())
                other_catpref_.push_back(std::move(record));
            else
                *kept = std::move(record);
            continue;
        }
        rCateg& c = **category;
        c.colour = colour;
        c.icon_index = icon_index;
        c.shown = shown;
        apply_font_look(c, font_name, font_size, style);
    }
}

bool TData_common::save_catpref(const std::string& file_name) {
    // Without categories (section 4 unreadable) there is nothing to add to the stored looks.
    if (categories.empty())
        return true;
    ByteWriter w;
    for (const auto& c : categories) {
        w.u8(c->id);
        w.bytes(std::string(3, '\0'));
        w.i32(c->colour);
        w.i32(c->icon_index);
        w.u8(c->shown ? 1 : 0);
        w.u8(font_styles(c->font));
        w.short_string(from_qstring(c->font.family()), 40);
        w.u8(static_cast<uint8_t>(c->font_size & 0xFF));
    }
    for (const std::string& record : other_catpref_)
        w.bytes(record);
    if (!write_file_atomic(file_name, w.data())) {
        show_message(22, false);
        return false;
    }
    return true;
}

void TData_common::load_flagspecs(const std::string& file_name) {
    std::string section;
    if (!load_section(section, file_name, 2))
        return;
    auto column = [](const std::string& line, size_t from, size_t count) {
        return from - 1 < line.size() ? line.substr(from - 1, count) : std::string();
    };
    for (const std::string& line : split_lines(section)) {
        if (is_comment(line))
            continue;
        if (line == "@eof")
            break;
        int32_t flag_id = str_to_int(column(line, 1, 3));
        int32_t group = str_to_int(column(line, 5, 3));
        TColor colour = str_to_int("$00" + column(line, 9, 6));
        std::string name = column(line, 16, std::string::npos);
        name = std::string(trim_blanks(name));
        // Flags outside 1..128 name no bit of a property set.
        if (flag_id < 1 || flag_id > 128)
            continue;
        if (!name.empty())
            flagspecs.push_back(std::make_unique<tboolspec>(static_cast<uint8_t>(flag_id), name,
                                                            static_cast<uint8_t>(group)));
        if (colour != 0)
            property_colors.push_back({static_cast<uint8_t>(flag_id), colour});
    }
}
