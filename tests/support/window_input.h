#pragma once
// Input as the window system delivers it: to the window first, through Qt's own modal and popup
// rules, one event at a time and queued, so that it arrives when the event loop (a nested one
// too) next runs, like input that waited in the window system's queue while the program was busy.

#include <QCoreApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <functional>

namespace support {

// Runs `deliver` at the next pass of the event loop.
inline void queue_input(std::function<void()> deliver) {
    QMetaObject::invokeMethod(qApp, std::move(deliver), Qt::QueuedConnection);
}

// The window system's clock: events `close` follow the last one within a double-click time.
inline int input_time(bool close) {
    static int now = 100000;
    return now += close ? 40 : 5000;
}

// The pointer moved to `at` in `widget` (its middle by default), then `clicks` clicks of `button`
// there, each event queued apart; clicks after the first are as close in time as a double
// click's.
inline void queue_click(QWidget* widget, QPoint at = {-1, -1},
                        Qt::KeyboardModifiers keys = Qt::NoModifier,
                        Qt::MouseButton button = Qt::LeftButton, int clicks = 1) {
    if (at == QPoint(-1, -1))
        at = widget->rect().center();
    const QPointer<QWindow> window = widget->window()->windowHandle();
    const QPointF local = widget->mapTo(widget->window(), at);
    const QPointF global = widget->mapToGlobal(at);
    queue_input([=] {
        if (window)
            qt_handleMouseEvent(window, local, global, Qt::NoButton, Qt::NoButton,
                                QEvent::MouseMove, keys, input_time(false));
    });
    for (int i = 0; i < clicks; ++i)
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            queue_input([=] {
                const bool press = type == QEvent::MouseButtonPress;
                if (window)
                    qt_handleMouseEvent(window, local, global, press ? button : Qt::NoButton,
                                        button, type, keys, input_time(i > 0 || !press));
            });
}

// A key pressed and released in the widget's window, each queued; the window's focus gets it.
inline void queue_key(QWidget* widget, int key, Qt::KeyboardModifiers keys = Qt::NoModifier,
                      const QString& text = {}) {
    const QPointer<QWindow> window = widget->window()->windowHandle();
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
        queue_input([=] {
            if (window)
                qt_handleKeyEvent(window, type, key, keys, text);
        });
}

} // namespace support
