#include "mainwindow/widgets/hint_window.h"

#include "database/widgets/points_tree_model.h"
#include "foundation/text_codec.h"
#include "mainwindow/picking.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace {

QFont hint_font(int size, bool bold) {
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(size);
    f.setBold(bold);
    return f;
}

constexpr int kWrap = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;

QString description_text() {
    // Lines of the description are separated by CR.
    return to_qstring(HCaption.description).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

TCustomHint::TCustomHint()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(hint_font(8, false));
}

QRect TCustomHint::CalcHintRect(int max_width, const QString& text) const {
    QRect r = QFontMetrics(font()).boundingRect(QRect(0, 0, max_width, 0), kWrap, text);
    r.moveTopLeft({0, 0});
    if (text.isEmpty())
        r = QRect(0, 0, 0, 0);
    return r.height() >= 1 ? r.adjusted(0, 0, 0, 10) : r;
}

QPoint TCustomHint::place_on_desktop(QPoint at, QSize size, const QRect& desktop) {
    if (at.y() + size.height() > desktop.bottom() + 1)
        at.setY(desktop.bottom() + 1 - size.height());
    if (at.x() + size.width() > desktop.right() + 1)
        at.setX(desktop.right() + 1 - size.width());
    at.setX(std::max(at.x(), desktop.left()));
    at.setY(std::max(at.y(), desktop.top()));
    return at;
}

void TCustomHint::ActivateHintData(const QRect& rect, const QString& text) {
    QSize size;
    if (!text.startsWith(QLatin1Char('@'))) {
        caption_ = text;
        const QFontMetrics bold(hint_font(8, true));
        const int w = std::max(bold.horizontalAdvance(caption_) + 40,
                               bold.horizontalAdvance(to_qstring(HCaption.title)) + 40) +
                      20;
        setFont(hint_font(7, false));
        const QRect d = CalcHintRect(250, description_text());
        setFont(hint_font(8, false));
        size = QSize(std::max(w, d.width() + 39), 34 + d.height());
    } else {
        HCaption.simple_mode = true;
        caption_ = text.mid(1);
        size = QSize(QFontMetrics(hint_font(8, false)).horizontalAdvance(caption_) + 10, 20);
    }
    QScreen* screen = QGuiApplication::screenAt(rect.topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->virtualGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
    setGeometry(QRect(place_on_desktop(rect.topLeft(), size, desktop), size));
    show();
    update();
}

void TCustomHint::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, Qt::white);
    p.setPen(Qt::black);
    p.setFont(hint_font(8, false));
    if (HCaption.simple_mode) {
        p.drawText(5, 2 + p.fontMetrics().ascent(), caption_);
        return;
    }
    p.setFont(hint_font(8, true));
    const int ascent = p.fontMetrics().ascent();
    const int right = r.width();
    if (HCaption.show_levels) {
        p.setBrush(qcolor_from_tcolor(HCaption.colour_min));
        p.drawRect(right - 31, 0, 15, 15);
        p.setBrush(qcolor_from_tcolor(HCaption.colour_max));
        p.drawRect(right - 16, 0, 15, 15);
        p.setBrush(Qt::NoBrush);
        const QFontMetrics m = p.fontMetrics();
        const QString min_text = to_qstring(HCaption.level_min);
        const QString max_text = to_qstring(HCaption.level_max);
        p.drawText(right - 16 - m.horizontalAdvance(min_text), 3 + ascent, min_text);
        p.drawText(right - 1 - m.horizontalAdvance(max_text), 3 + ascent, max_text);
    }
    const int icon = HCaption.icon_base + 4;
    if (icons && icon >= 0 && size_t(icon) < icons->size())
        p.drawPixmap(2, 1, (*icons)[size_t(icon)]);
    p.drawText(24, 2 + ascent, to_qstring(HCaption.title));
    p.setPen(qcolor_from_tcolor(HCaption.name_colour));
    p.drawText(24, 16 + ascent, caption_);
    p.setPen(Qt::black);
    p.setFont(hint_font(7, false));
    p.drawText(QRect(QPoint(24, 34), QPoint(right - 15 - 1, r.height() - 1)), kWrap,
               description_text());
}
