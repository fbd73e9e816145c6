#include "helper/IdleExit.h"

namespace orvane {

void IdleExit::scheduleExit() {
    cancelTimer();
    timer_ = queue_.after(idleTimeout_, [this] {
        timer_.reset();
        exitProcess_(0);
    });
}

void IdleExit::connectionOpened() {
    ++openConnections_;
    cancelTimer();
}

void IdleExit::connectionClosed() {
    const std::int64_t remaining = openConnections_ - 1;
    openConnections_ = remaining < 0 ? 0 : remaining;
    if (remaining <= 0) {
        scheduleExit();
    }
}

void IdleExit::cancelTimer() {
    if (timer_) {
        queue_.cancel(*timer_);
        timer_.reset();
    }
}

} // namespace orvane
