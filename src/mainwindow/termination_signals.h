#pragma once
// The signals that end the program (a shutdown, a closed terminal, kill, Ctrl+C and Ctrl+\ in
// the terminal that started it) handed to the event loop: the handler only writes the signal's
// number to a pipe, which a socket notifier reads on the event loop.

#include <array>
#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

class TTerminationSignals {
public:
    // SIGTERM, SIGHUP, SIGINT and SIGQUIT.
    static constexpr std::array<int, 4> kSignals{SIGTERM, SIGHUP, SIGINT, SIGQUIT};

    // Catches each of them unless it is ignored (as a shell leaves them for a background job);
    // `on_signal` runs on the event loop with the signal's number. Only one instance may live at
    // a time. Should no pipe be available the signals keep their handlers.
    explicit TTerminationSignals(std::function<void(int)> on_signal);
    // Gives the signals it caught back the handlers they had before.
    ~TTerminationSignals();
    TTerminationSignals(const TTerminationSignals&) = delete;
    TTerminationSignals& operator=(const TTerminationSignals&) = delete;

private:
    std::function<void(int)> on_signal_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::array<bool, kSignals.size()> caught_{};
    std::array<struct sigaction, kSignals.size()> previous_{};
};
