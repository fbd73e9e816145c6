#include "app/cli/StopSignals.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace orvane::cli {

namespace {

constexpr int stopSignals[] = {SIGINT, SIGTERM};

// The pipe's write end, for the handler. Only ever read inside it, so a plain signal-safe integer.
volatile std::sig_atomic_t wakeEnd = -1;

struct sigaction previous[std::size(stopSignals)];

// Async-signal-safe: one write(2) to a non-blocking pipe, errno left as it was. A full pipe
// already holds a wake-up, so a failed write loses nothing.
void onStopSignal(int signal) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(wakeEnd, &byte, 1);
    errno = savedErrno;
}

bool prepareEnd(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

} // namespace

StopSignals::StopSignals() {
    int ends[2];
    if (::pipe(ends) != 0) {
        return;
    }
    readEnd_ = ends[0];
    writeEnd_ = ends[1];
    if (!prepareEnd(readEnd_) || !prepareEnd(writeEnd_)) {
        return;
    }
    wakeEnd = writeEnd_;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Not restarted: a write blocked on a reader that never reads must give way to the signal.
    action.sa_flags = 0;
    for (; installed_ < std::size(stopSignals); ++installed_) {
        if (::sigaction(stopSignals[installed_], &action, &previous[installed_]) != 0) {
            return;
        }
    }
    ready_ = true;
}

StopSignals::~StopSignals() {
    while (installed_ > 0) {
        --installed_;
        ::sigaction(stopSignals[installed_], &previous[installed_], nullptr);
    }
    wakeEnd = -1;
    for (const int fd : {readEnd_, writeEnd_}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool StopSignals::waitFor(std::chrono::steady_clock::duration timeout) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + timeout;
    if (!ready_) {
        std::this_thread::sleep_until(deadline);
        return false;
    }
    for (;;) {
        const auto left = ceil<milliseconds>(deadline - steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        // In slices of at most an hour, so that a long interval never overflows poll's int.
        pollfd wake{readEnd_, POLLIN, 0};
        const int ready = ::poll(
            &wake, 1, static_cast<int>(std::min<milliseconds::rep>(left.count(), 3600 * 1000)));
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            // poll itself failed: keep to the interval rather than spin.
            std::this_thread::sleep_until(deadline);
            return false;
        }
    }
}

int StopSignals::write(int fd, std::string_view data) {
    while (!data.empty()) {
        // Until the output takes more or a stop signal arrives, whichever comes first.
        pollfd watched[2] = {{fd, POLLOUT, 0}, {readEnd_, POLLIN, 0}};
        if (::poll(watched, ready_ ? 2 : 1, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (watched[1].revents & POLLIN) {
            return ECANCELED;
        }
        // Whatever else poll found (an error, a reader gone), the write says what it is.
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written > 0) {
            data.remove_prefix(static_cast<std::size_t>(written));
        } else if (written == 0 || (errno != EINTR && errno != EAGAIN)) {
            return written == 0 ? EIO : errno;
        }
    }
    return 0;
}

} // namespace orvane::cli
