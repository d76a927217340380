#pragma once
// The map control: paints through one handler into a 32-bit buffer and shows it, its alpha
// ignored.

#include <QImage>
#include <QWidget>

#include <functional>

class TImageMap : public QWidget {
    Q_OBJECT
public:
    explicit TImageMap(QWidget* parent = nullptr);

    // Paints the whole view into the buffer (ARGB32_Premultiplied, filled black); called on every
    // repaint.
    std::function<void(QImage&)> on_paint;

    // The buffer of the last paint.
    const QImage& buffer() const { return buffer_; }
    // Paints into the buffer now (also used by tests to look at the map without a screen).
    const QImage& render();

signals:
    void mouseDown(QMouseEvent* event);
    void mouseMove(QMouseEvent* event);
    void mouseUp(QMouseEvent* event);
    void doubleClicked(QMouseEvent* event);
    void wheel(QWheelEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QImage buffer_;
};
