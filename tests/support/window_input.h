#pragma once
// Input as the window system delivers it: queued in Qt's window-system queue for the window, one
// event at a time, then taken by the event loop (a nested one too) through Qt's own modal and
// popup rules, and held back while a pass excludes user input, like input that waited in the
// X queue while the program was busy.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include <functional>
#include <vector>

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
                                                     Qt::NoButton, Qt::NoButton, QEvent::MouseMove,
                                                     keys);
    for (int i = 0; i < clicks; ++i) {
        QWindowSystemInterface::handleMouseEvent<Queued>(window, input_time(i > 0), local, global,
                                                         button, button, QEvent::MouseButtonPress,
                                                         keys);
        QWindowSystemInterface::handleMouseEvent<Queued>(window, input_time(true), local, global,
                                                         Qt::NoButton, button,
                                                         QEvent::MouseButtonRelease, keys);
    }
}

// A key pressed and released in the widget's window, or in the open popup, which holds the
// keyboard; the window's focus gets it.
inline void queue_key(QWidget* widget, int key, Qt::KeyboardModifiers keys = Qt::NoModifier,
                      const QString& text = {}) {
    using Queued = QWindowSystemInterface::AsynchronousDelivery;
    QWidget* popup = QApplication::activePopupWidget();
    QWindow* window = (popup ? popup : widget->window())->windowHandle();
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
        QWindowSystemInterface::handleKeyEvent<Queued>(window, input_time(false), type, key, keys,
                                                       text);
}

// The text typed, one key per character.
inline void queue_text(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        queue_key(widget, c.toUpper().unicode(), Qt::NoModifier, QString(c));
}

// The wheel turned by `notches` (towards the user when positive) over the widget's middle.
inline void queue_wheel(QWidget* widget, int notches) {
    const QPoint at = widget->rect().center();
    queue_click(widget, at, Qt::NoModifier, Qt::LeftButton, 0);
    QWindowSystemInterface::handleWheelEvent(widget->window()->windowHandle(), input_time(false),
                                             widget->mapTo(widget->window(), at),
                                             widget->mapToGlobal(at), {}, {0, -120 * notches});
}

// Runs the steps in turn from the event loop, a step a pass (a nested loop's too), while a test
// waits on a window: each acts or looks, and returns true once done; one that waits for something
// returns false until it came. A step not done within 5 s is reported by `stuck()` and `give_up`
// runs (it closes the window), so that no test hangs.
class InputSteps {
public:
    InputSteps(std::vector<std::function<bool()>> steps, std::function<void()> give_up)
        : steps_(std::move(steps)), give_up_(std::move(give_up)) {
        since_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (next_ == steps_.size())
                return timer_.stop();
            if (steps_[next_]()) {
                ++next_;
                since_.start();
            } else if (since_.hasExpired(5000)) {
                stuck_ = next_ + 1;
                next_ = steps_.size();
                give_up_();
            }
        });
        timer_.start(0);
    }
    // The step that was not done in time (counted from 1); 0 when none.
    size_t stuck() const { return stuck_; }

private:
    std::vector<std::function<bool()>> steps_;
    std::function<void()> give_up_;
    QTimer timer_;
    QElapsedTimer since_;
    size_t next_ = 0;
    size_t stuck_ = 0;
};

// A step: Tab in the target's window until the target has the focus.
inline std::function<bool()> tab_to(QWidget* target) {
    return [target, from = static_cast<QWidget*>(nullptr), sent = false]() mutable {
        QWidget* focus = QApplication::focusWidget();
        if (focus == target)
            return true;
        if (!sent || focus != from) {
            from = focus;
            sent = true;
            queue_key(target, Qt::Key_Tab);
        }
        return false;
    };
}

} // namespace support
