#pragma once
// The working copy of one category's look (label font, colour, icon, shown) that the
// preferences dialog edits; it reaches the category only when the dialog is confirmed.

#include "foundation/func_type.h"

#include <QFont>

#include <string>

class ttreeinfo {
public:
    explicit ttreeinfo(rCateg& category);

    // The look the database gives the category, before the user's category preferences.
    void reset();
    // Writes the look into the category.
    void apply() const;
    QFont font() const;
    // Takes the name, size and style of a font.
    void set_font(const QFont& font);

    std::string font_name;
    int32_t font_size = 0;
    int32_t icon_index = 0;
    TColor colour = 0;
    TFontStyles font_style = 0;
    rCateg* category = nullptr;
    bool visible = false;
};
