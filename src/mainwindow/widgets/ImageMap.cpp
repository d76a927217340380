#include "mainwindow/widgets/ImageMap.h"

#include <QMouseEvent>
#include <QPainter>

TImageMap::TImageMap(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ImageMap"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setMinimumSize(50, 50);
}

const QImage& TImageMap::render() {
    QSize s = size().expandedTo(QSize(1, 1));
    if (buffer_.size() != s)
        buffer_ = QImage(s, QImage::Format_ARGB32_Premultiplied);
    buffer_.fill(0xFF000000);
    if (on_paint)
        on_paint(buffer_);
    return buffer_;
}

void TImageMap::paintEvent(QPaintEvent*) {
    render();
    // The screen shows the colours only, as opaque drawings may leave any alpha behind.
    const QImage opaque(buffer_.constBits(), buffer_.width(), buffer_.height(),
                        buffer_.bytesPerLine(), QImage::Format_RGB32);
    QPainter p(this);
    p.drawImage(0, 0, opaque);
}

void TImageMap::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(event);
}
void TImageMap::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMove(event);
}
void TImageMap::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseUp(event);
}
void TImageMap::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked(event);
}
void TImageMap::wheelEvent(QWheelEvent* event) {
    emit wheel(event);
}
