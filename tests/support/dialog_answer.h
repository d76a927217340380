#pragma once
// Answers every modal dialog that opens with `act`, which must close it; no test waits on one.
// Queues clicks as the window system would deliver them.

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <vector>

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

// Acts once on each new modal dialog of type T as it comes up, given how many came up before it.
template <typename T> class NewDialogs {
public:
    explicit NewDialogs(std::function<void(T*, size_t)> act)
        : answer_([this, act = std::move(act)](QWidget* w) {
              auto* d = qobject_cast<T*>(w);
              if (!d || std::find(seen_.begin(), seen_.end(), d) != seen_.end())
                  return;
              seen_.push_back(d);
              act(d, seen_.size() - 1);
          }) {}
    const std::vector<T*>& seen() const { return seen_; }
    void forget() { seen_.clear(); }

private:
    std::vector<T*> seen_;
    DialogAnswer answer_;
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
