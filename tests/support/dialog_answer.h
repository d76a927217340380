#pragma once
// Answers every modal dialog that opens with `act`, which must close it; no test waits on one.
// Queues clicks as the window system would deliver them.

#include <QApplication>
#include <QElapsedTimer>
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
// One still up three seconds later, its input lost, is closed, so that no test hangs on it.
template <typename T> class NewDialogs {
public:
    explicit NewDialogs(std::function<void(T*, size_t)> act)
        : answer_([this, act = std::move(act)](QWidget* w) {
              auto* d = qobject_cast<T*>(w);
              if (!d)
                  return;
              const auto seen = std::find(seen_.begin(), seen_.end(), d);
              if (seen == seen_.end()) {
                  seen_.push_back(d);
                  since_.emplace_back().start();
                  act(d, seen_.size() - 1);
              } else if (since_[size_t(seen - seen_.begin())].hasExpired(3000)) {
                  d->reject();
              }
          }) {}
    const std::vector<T*>& seen() const { return seen_; }
    void forget() {
        seen_.clear();
        since_.clear();
    }

private:
    std::vector<T*> seen_;
    std::vector<QElapsedTimer> since_;
    DialogAnswer answer_;
};
