#pragma once
// Answers every modal dialog that opens with `act`, which must close it; no test waits on one.
// Queues clicks as the window system would deliver them.

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <functional>

class DialogAnswer {
public:
    explicit DialogAnswer(std::function<void(QWidget*)> act) : act_(std::move(act)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                ++seen_;
                act_(w);
            }
        });
        timer_.start();
    }
    int seen() const { return seen_; }

private:
    std::function<void(QWidget*)> act_;
    QTimer timer_;
    int seen_ = 0;
};

// A left click at `at`, or at the middle of the widget, queued.
inline void post_click(QWidget* to, QPointF at) {
    for (auto [type, held] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                              {QEvent::MouseButtonRelease, Qt::NoButton}})
        QCoreApplication::postEvent(
            to, new QMouseEvent(type, at, to->mapToGlobal(at), Qt::LeftButton, held, {}));
}
inline void post_click(QWidget* to) {
    post_click(to, QRectF(to->rect()).center());
}
