#pragma once
// SIGTERM and SIGHUP (a shutdown, a closed terminal, kill) handed to the event loop: the handler
// only writes the signal's number to a pipe, which a socket notifier reads on the event loop.

#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

class TTerminationSignals {
public:
    // Catches both signals; `on_signal` runs on the event loop with the signal's number. Only one
    // instance may live at a time. Should no pipe be available the signals keep their handlers.
    explicit TTerminationSignals(std::function<void(int)> on_signal);
    // Gives both signals back the handlers they had before.
    ~TTerminationSignals();
    TTerminationSignals(const TTerminationSignals&) = delete;
    TTerminationSignals& operator=(const TTerminationSignals&) = delete;

private:
    std::function<void(int)> on_signal_;
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previous_term_ {};
    struct sigaction previous_hup_ {};
};
