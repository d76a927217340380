#include "mainwindow/widgets/G32_ProgressBar.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// Drawing on a 32-bit buffer with inclusive line ends; everything is clipped to the buffer.
class Canvas {
public:
    explicit Canvas(QImage& image) : image_(image) {}

    void pixel(int x, int y, QRgb c) {
        if (x >= 0 && y >= 0 && x < image_.width() && y < image_.height())
            image_.setPixel(x, y, c);
    }
    // Blends c over the pixel with c's alpha.
    void blend(int x, int y, QRgb c) {
        if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height())
            return;
        QRgb b = image_.pixel(x, y);
        int a = qAlpha(c);
        auto mix = [a](int f, int g) { return (f * a + g * (255 - a) + 127) / 255; };
        image_.setPixel(x, y,
                        qRgba(mix(qRed(c), qRed(b)), mix(qGreen(c), qGreen(b)),
                              mix(qBlue(c), qBlue(b)), std::max(qAlpha(b), a)));
    }
    void hline(int x1, int y, int x2, QRgb c, bool blended = false) {
        for (int x = x1; x <= x2; ++x)
            blended ? blend(x, y, c) : pixel(x, y, c);
    }
    void vline(int x, int y1, int y2, QRgb c, bool blended = false) {
        for (int y = y1; y <= y2; ++y)
            blended ? blend(x, y, c) : pixel(x, y, c);
    }
    // Right and bottom edges excluded.
    void fill(const QRect& r, QRgb c) {
        for (int y = r.top(); y < r.top() + r.height(); ++y)
            hline(r.left(), y, r.left() + r.width() - 1, c);
    }
    // A one-pixel frame on the rectangle, right and bottom edges excluded.
    void frame(const QRect& r, QRgb c) {
        int right = r.left() + r.width() - 1;
        int bottom = r.top() + r.height() - 1;
        hline(r.left(), r.top(), right, c);
        hline(r.left(), bottom, right, c);
        vline(r.left(), r.top(), bottom, c);
        vline(right, r.top(), bottom, c);
    }

private:
    QImage& image_;
};

// Each channel plus amount, clamped to 0..255; alpha kept.
QRgb lighten(QRgb c, int amount) {
    auto ch = [amount](int v) { return std::clamp(v + amount, 0, 255); };
    return qRgba(ch(qRed(c)), ch(qGreen(c)), ch(qBlue(c)), qAlpha(c));
}

// The system's window-frame colour (clWindowFrame), black as the window system sets it.
constexpr QRgb kWindowFrameColour = 0xFF000000;

QRgb opaque(const QColor& c) {
    return qRgb(c.red(), c.green(), c.blue());
}

// Edges of a rectangle held as left, top, right, bottom (right and bottom excluded).
struct Edges {
    int left, top, right, bottom;
};

} // namespace

TG32_ProgressBar::TG32_ProgressBar(QWidget* parent)
    : QWidget(parent), back_color_(palette().color(QPalette::Dark)),
      color_(palette().color(QPalette::Button)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(150, 16);
}

void TG32_ProgressBar::setBackColor(const QColor& value) {
    back_color_ = value;
    update();
}

void TG32_ProgressBar::setBorderStyle(TBorderStyle value) {
    border_style_ = value;
}

void TG32_ProgressBar::setContrast(int value) {
    contrast_ = value;
    update();
}

void TG32_ProgressBar::setFramed(bool value) {
    framed_ = value;
    update();
}

void TG32_ProgressBar::setMax(int value) {
    max_ = value;
    update();
}

void TG32_ProgressBar::setMin(int value) {
    min_ = value;
    update();
}

void TG32_ProgressBar::setPosition(int value) {
    if (value == position_)
        return;
    position_ = value;
    // A synchronous repaint costs far more than a small step of the caller's work (a reader
    // stepping once per KiB of a large stream): the bar repaints at once when it moved by 1
    // percent of its range since last painted, or reached or left its end; smaller steps (and
    // any step of a bar without range, always empty) wait for the next paint.
    const std::int64_t range = static_cast<std::int64_t>(max_) - min_;
    const std::int64_t moved = std::abs(static_cast<std::int64_t>(value) - painted_position_);
    if (range > 0 && (moved * 100 >= range || (value >= max_) != (painted_position_ >= max_)))
        repaint();
    else
        update();
}

void TG32_ProgressBar::setColor(const QColor& value) {
    color_ = value;
    update();
}

void TG32_ProgressBar::show_over(const QWidget& map_view) {
    setPosition(0);
    move(map_view.width() / 2 - width() / 2, map_view.height() / 2 + 40);
    show();
}

void TG32_ProgressBar::DoPaintBuffer(QImage& buffer) const {
    Canvas canvas(buffer);
    const int w = buffer.width();
    const int h = buffer.height();

    // Frame and track.
    Edges r{0, 0, w, h};
    if (framed_) {
        canvas.frame(QRect(0, 0, w, h), 0xFF000006);
        r = {1, 1, w - 1, h - 1};
    }
    const QRgb track = opaque(back_color_);
    canvas.fill(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), track);
    r.right -= 1;
    r.bottom -= 1;
    const QRgb shadow = lighten(track, -32);
    canvas.hline(r.left, r.top, r.right, shadow);
    canvas.vline(r.left, r.top + 1, r.bottom, shadow);
    if (!framed_) {
        const QRgb light = lighten(shadow, 64);
        canvas.hline(r.left, r.bottom, r.right, light);
        canvas.vline(r.right, r.top + 1, r.bottom, light);
    }

    // Bar rectangle.
    Edges b = framed_ ? Edges{1, 1, w - 1, h - 1} : Edges{0, 0, w, h};
    if (min_ < position_ && min_ < max_) {
        std::int64_t right = b.left + static_cast<std::int64_t>(b.right - b.left) *
                                          (static_cast<std::int64_t>(position_) - min_) /
                                          (static_cast<std::int64_t>(max_) - min_);
        if (right < b.right)
            b.right = static_cast<int>(right);
    } else {
        b.right = b.left;
    }
    if (b.right <= b.left || b.bottom <= b.top)
        return;

    // Bar: shaded rows, a raised edge, and the end line.
    const QRgb bar = opaque(color_);
    const int bar_height = b.bottom - b.top;
    const int mid = (b.top + b.bottom) / 2;
    for (int y = b.top; y < b.bottom; ++y) {
        std::int64_t amount = static_cast<std::int64_t>(mid - y) * contrast_ / bar_height;
        canvas.hline(b.left, y, b.right - 1,
                     lighten(bar, static_cast<int>(std::clamp<std::int64_t>(amount, -255, 255))));
    }
    constexpr int kEdgeContrast = 32;
    const QRgb edge_light = qRgba(255, 255, 255, std::min(255, kEdgeContrast * 512 / 100));
    const QRgb edge_dark = qRgba(0, 0, 0, kEdgeContrast * 255 / 100);
    canvas.hline(b.left, b.top, b.right - 1, edge_light, true);
    canvas.hline(b.left, b.bottom - 1, b.right - 1, edge_dark, true);
    canvas.vline(b.left, b.top + 1, b.bottom - 2, edge_light, true);
    canvas.vline(b.right - 1, b.top + 1, b.bottom - 2, edge_dark, true);
    if (framed_)
        canvas.vline(b.right, b.top, b.bottom, kWindowFrameColour);
}

void TG32_ProgressBar::paintEvent(QPaintEvent*) {
    painted_position_ = position_;
    QImage buffer(size(), QImage::Format_ARGB32);
    buffer.fill(opaque(palette().color(QPalette::Window)));
    DoPaintBuffer(buffer);
    QPainter painter(this);
    painter.drawImage(0, 0, buffer);
}
