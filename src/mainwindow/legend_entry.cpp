#include "mainwindow/legend_entry.h"

#include "foundation/Data.h"
#include "foundation/text_codec.h"

#include <cmath>

ttreeinfo::ttreeinfo(rCateg& c)
    : font_name(from_qstring(c.font.family())), font_size(c.font_size), icon_index(c.icon_index),
      colour(c.colour), font_style(font_styles(c.font)), category(&c), visible(c.shown) {}

void ttreeinfo::reset() {
    font_name = category->default_font_name;
    font_style = category->default_font_style;
    font_size = category->default_font_size;
    visible = category->default_shown;
    colour = category->default_colour;
    icon_index = category->default_icon_index;
}

void ttreeinfo::apply() const {
    category->shown = visible;
    category->colour = colour;
    apply_font_look(*category, font_name, font_size, font_style);
    category->icon_index = icon_index;
}

QFont ttreeinfo::font() const {
    return label_font(font_name, font_size, font_style);
}

void ttreeinfo::set_font(const QFont& f) {
    font_name = from_qstring(f.family());
    font_size = f.pointSize() > 0 ? f.pointSize() : int32_t(std::nearbyint(f.pointSizeF()));
    font_style = font_styles(f);
}
