#pragma once
// Answers every modal dialog that opens with `act`, which must close it; no test waits on one.

#include <QApplication>
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
