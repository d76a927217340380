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
    buffer_.fill(Qt::black);
    if (on_paint) {
        QPainter p(&buffer_);
        on_paint(p, s);
    }
    return buffer_;
}

void TImageMap::paintEvent(QPaintEvent*) {
    render();
    QPainter p(this);
    p.drawImage(0, 0, buffer_);
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
