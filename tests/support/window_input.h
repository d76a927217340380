#pragma once
// Input as the window system delivers it: queued in Qt's window-system queue for the window, one
// event at a time, then taken by the event loop (a nested one too) through Qt's own modal and
// popup rules, and held back while a pass excludes user input, like input that waited in the
// X queue while the program was busy.

#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace support {

// The window system's clock: events `close` follow the last one within a double-click time.
inline ulong input_time(bool close) {
    static ulong now = 100000;
    return now += close ? 40 : 5000;
}

// The pointer moved to `at` in `widget` (its middle by default), then `clicks` clicks of
// `button` there; clicks after the first are as close in time as a double click's.
inline void queue_click(QWidget* widget, QPoint at = {-1, -1},
                        Qt::KeyboardModifiers keys = Qt::NoModifier,
                        Qt::MouseButton button = Qt::LeftButton, int clicks = 1) {
    using Queued = QWindowSystemInterface::AsynchronousDelivery;
    if (at == QPoint(-1, -1))
        at = widget->rect().center();
    QWindow* window = widget->window()->windowHandle();
    const QPointF local = widget->mapTo(widget->window(), at);
    const QPointF global = widget->mapToGlobal(at);
    QWindowSystemInterface::handleMouseEvent<Queued>(window, input_time(false), local, global,
                                                     Qt::NoButton, Qt::NoButton,
                                                     QEvent::MouseMove, keys);
    for (int i = 0; i < clicks; ++i) {
        QWindowSystemInterface::handleMouseEvent<Queued>(window, input_time(i > 0), local, global,
                                                         button, button,
                                                         QEvent::MouseButtonPress, keys);
        QWindowSystemInterface::handleMouseEvent<Queued>(window, input_time(true), local, global,
                                                         Qt::NoButton, button,
                                                         QEvent::MouseButtonRelease, keys);
    }
}

// A key pressed and released in the widget's window; the window's focus gets it.
inline void queue_key(QWidget* widget, int key, Qt::KeyboardModifiers keys = Qt::NoModifier,
                      const QString& text = {}) {
    using Queued = QWindowSystemInterface::AsynchronousDelivery;
    QWindow* window = widget->window()->windowHandle();
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
        QWindowSystemInterface::handleKeyEvent<Queued>(window, input_time(false), type, key, keys,
                                                       text);
}

} // namespace support
