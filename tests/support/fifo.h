#pragma once
// A FIFO in place of a file, for calls that must never wait on another program: a call still
// running after two seconds is let go by opening the FIFO's other end, and counts as blocked.

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Puts a FIFO at the path (in place of any file there) and runs the call. True when the call
// returned within two seconds.
inline bool returns_at_once(const std::string& fifo, const std::function<void()>& call) {
    std::remove(fifo.c_str());
    if (mkfifo(fifo.c_str(), 0644) != 0)
        return false;
    // A writer let go may write into a FIFO whose reader is gone again.
    const auto old_pipe_handler = std::signal(SIGPIPE, SIG_IGN);
    std::atomic<bool> done{false};
    std::atomic<bool> blocked{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 200 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // Both ends at once: an open() waiting for either end goes on, and a read waiting for
        // data ends once the end is closed again.
        while (!done) {
            blocked = true;
            const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (fd >= 0)
                ::close(fd);
        }
    });
    call();
    done = true;
    watchdog.join();
    std::signal(SIGPIPE, old_pipe_handler);
    return !blocked;
}
