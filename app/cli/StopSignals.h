#pragma once

#include <chrono>
#include <cstddef>
#include <string_view>

namespace orvane::cli {

// Catches SIGINT and SIGTERM while it lives, so that a command that runs until it is interrupted
// can end on its own terms. The handler does nothing but write one byte to a pipe (the self-pipe
// trick); waitFor watches that pipe. The previous handlers come back when it is destroyed. One
// at a time, on the main thread.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // False when the pipe or the handlers could not be set up (then nothing is caught).
    bool ready() const { return ready_; }

    // Waits until a stop signal has arrived (true, also for one that came earlier) or the timeout
    // has passed (false).
    bool waitFor(std::chrono::steady_clock::duration timeout);

    // Writes all of data to fd, however long a slow reader takes, unless a stop signal arrives
    // first: 0 once written, ECANCELED when stopped, else the errno of the failed write.
    int write(int fd, std::string_view data);

private:
    int readEnd_ = -1;
    int writeEnd_ = -1;
    std::size_t installed_ = 0;
    bool ready_ = false;
};

} // namespace orvane::cli
