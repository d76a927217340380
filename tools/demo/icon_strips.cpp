#include "demo/icon_strips.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <array>
#include <cmath>
#include <utility>

namespace support {

namespace {

constexpr std::array<std::pair<const char*, IconShape>, 14> shape_names = {{
    {"square", IconShape::Square},
    {"circle", IconShape::Circle},
    {"ring", IconShape::Ring},
    {"diamond", IconShape::Diamond},
    {"triangle", IconShape::Triangle},
    {"star", IconShape::Star},
    {"flag", IconShape::Flag},
    {"house", IconShape::House},
    {"cross", IconShape::Cross},
    {"arrow", IconShape::Arrow},
    {"globe", IconShape::Globe},
    {"tree", IconShape::Tree},
    {"wave", IconShape::Wave},
    {"skull", IconShape::Skull},
}};

// Pure white is transparent in a strip: keep drawn colours off it.
QColor drawable(QColor c) {
    if (c.rgb() == qRgb(255, 255, 255))
        c = QColor(254, 254, 254);
    return c;
}

void draw_icon(QPainter& p, const QRectF& cell, const StripIcon& icon) {
    const QColor fill = drawable(icon.colour);
    const QColor outline = fill.darker(250);
    p.setPen(QPen(outline, 1));
    p.setBrush(fill);
    const QRectF r = cell.adjusted(1, 1, -2, -2);
    const QPointF c = r.center();
    switch (icon.shape) {
    case IconShape::Square:
        p.drawRect(r);
        break;
    case IconShape::Circle:
        p.drawEllipse(r);
        break;
    case IconShape::Ring:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(fill, 2));
        p.drawEllipse(r.adjusted(1, 1, -1, -1));
        break;
    case IconShape::Diamond:
        p.drawPolygon(QPolygonF({QPointF(c.x(), r.top()), QPointF(r.right(), c.y()),
                                 QPointF(c.x(), r.bottom()), QPointF(r.left(), c.y())}));
        break;
    case IconShape::Triangle:
        p.drawPolygon(
            QPolygonF({QPointF(c.x(), r.top()), QPointF(r.right(), r.bottom()), r.bottomLeft()}));
        break;
    case IconShape::Star: {
        QPolygonF star;
        const double outer = std::min(r.width(), r.height()) / 2.0;
        for (int i = 0; i < 10; ++i) {
            const double radius = (i % 2 == 0) ? outer : outer * 0.45;
            const double angle = -M_PI / 2 + i * M_PI / 5;
            star << QPointF(c.x() + radius * std::cos(angle), c.y() + radius * std::sin(angle));
        }
        p.drawPolygon(star);
        break;
    }
    case IconShape::Flag:
        p.drawLine(QPointF(r.left() + 1, r.top()), QPointF(r.left() + 1, r.bottom()));
        p.drawRect(QRectF(r.left() + 2, r.top(), r.width() - 3, r.height() / 2));
        break;
    case IconShape::House:
        p.drawPolygon(QPolygonF(
            {QPointF(c.x(), r.top()), QPointF(r.right(), c.y()), QPointF(r.left(), c.y())}));
        p.drawRect(QRectF(r.left() + 1, c.y(), r.width() - 2, r.bottom() - c.y()));
        break;
    case IconShape::Cross:
        p.setPen(QPen(fill, 2));
        p.drawLine(r.topLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomLeft());
        break;
    case IconShape::Arrow:
        p.drawPolygon(QPolygonF({r.topLeft(), QPointF(r.right(), c.y()), r.bottomLeft(),
                                 QPointF(r.left() + r.width() / 3, c.y())}));
        break;
    case IconShape::Globe:
        p.drawEllipse(r);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(c.x() - r.width() / 4, r.top(), r.width() / 2, r.height()));
        p.drawLine(QPointF(r.left(), c.y()), QPointF(r.right(), c.y()));
        break;
    case IconShape::Tree:
        p.drawEllipse(QRectF(r.left(), r.top(), r.width(), r.height() * 0.7));
        p.setBrush(outline);
        p.drawRect(QRectF(c.x() - 1, r.top() + r.height() * 0.7, 2, r.height() * 0.3));
        break;
    case IconShape::Wave: {
        QPainterPath wave;
        wave.moveTo(r.left(), c.y());
        wave.cubicTo(c.x() - r.width() / 4, r.top(), c.x() - r.width() / 4, r.bottom(), c.x(),
                     c.y());
        wave.cubicTo(c.x() + r.width() / 4, r.top(), c.x() + r.width() / 4, r.bottom(), r.right(),
                     c.y());
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(fill, 2));
        p.drawPath(wave);
        break;
    }
    case IconShape::Skull:
        p.drawEllipse(QRectF(r.left(), r.top(), r.width(), r.height() * 0.75));
        p.setBrush(outline);
        p.drawRect(QRectF(c.x() - r.width() / 4, r.top() + r.height() * 0.3, 1, 1));
        p.drawRect(QRectF(c.x() + r.width() / 4 - 1, r.top() + r.height() * 0.3, 1, 1));
        p.setBrush(fill);
        p.drawRect(QRectF(c.x() - r.width() / 5, r.top() + r.height() * 0.7, r.width() * 0.4,
                          r.height() * 0.3));
        break;
    }
}

} // namespace

bool icon_shape_from_name(const std::string& name, IconShape& shape) {
    for (const auto& [word, value] : shape_names)
        if (name == word) {
            shape = value;
            return true;
        }
    return false;
}

QImage draw_icon_strip(int width, int height, const std::vector<StripIcon>& icons) {
    const int count = icons.empty() ? 1 : static_cast<int>(icons.size());
    QImage strip(width * count, height, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (size_t i = 0; i < icons.size(); ++i)
        draw_icon(p, QRectF(width * static_cast<double>(i), 0, width, height), icons[i]);
    return strip;
}

} // namespace support
