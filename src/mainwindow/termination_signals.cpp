#include "mainwindow/termination_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

int signal_pipe[2] = {-1, -1};

// Async-signal-safe: one write to a non-blocking pipe; a full pipe drops the byte, which is
// harmless since one pending byte is enough to wake the event loop.
void on_termination(int number) {
    const int saved_errno = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signal_pipe[1], &byte, 1);
    errno = saved_errno;
}

} // namespace

TTerminationSignals::TTerminationSignals(std::function<void(int)> on_signal)
    : on_signal_(std::move(on_signal)) {
    if (::pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(signal_pipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        unsigned char byte = 0;
        while (::read(signal_pipe[0], &byte, 1) == 1)
            on_signal_(byte);
    });
    struct sigaction action {};
    action.sa_handler = on_termination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i) {
        // An ignored signal stays so: the user asked for the program to outlive it.
        if (sigaction(kSignals[i], nullptr, &previous_[i]) != 0 ||
            previous_[i].sa_handler == SIG_IGN)
            continue;
        caught_[i] = sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

TTerminationSignals::~TTerminationSignals() {
    if (!notifier_)
        return;
    for (size_t i = 0; i < kSignals.size(); ++i)
        if (caught_[i])
            sigaction(kSignals[i], &previous_[i], nullptr);
    notifier_.reset();
    for (int& fd : signal_pipe) {
        ::close(fd);
        fd = -1;
    }
}
