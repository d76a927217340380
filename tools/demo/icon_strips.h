#pragma once
// Drawn icon strips for the bitmap sections of master.loc: section 1 (20 x 13 menu icons),
// section 7 (11 x 11 map icons) and section 8 (16 x 16 tree icons). Icons stand side by side,
// icon i in columns w i .. w i + w - 1; pure white is the transparent colour.

#include <QColor>
#include <QImage>

#include <string>
#include <vector>

namespace support {

enum class IconShape {
    Square,
    Circle,
    Ring,
    Diamond,
    Triangle,
    Star,
    Flag,
    House,
    Cross,
    Arrow,
    Globe,
    Tree,
    Wave,
    Skull
};

struct StripIcon {
    IconShape shape = IconShape::Square;
    QColor colour = Qt::black;
};

constexpr int menu_icon_width = 20;
constexpr int menu_icon_height = 13;
constexpr int map_icon_size = 11;
constexpr int tree_icon_size = 16;

// The shape named by a lower-case word ("circle", "house" ...); false when unknown.
bool icon_shape_from_name(const std::string& name, IconShape& shape);

// A strip of width x height icons on white, each shape drawn in its colour with a dark outline.
QImage draw_icon_strip(int width, int height, const std::vector<StripIcon>& icons);

} // namespace support
