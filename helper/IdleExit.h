#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/ports/MainQueue.h"

namespace orvane {

// Ends the daemon once it has had no connection for a full idle period. Every close that leaves
// no connection open starts the period afresh. Main queue only.
class IdleExit {
public:
    static constexpr double defaultIdleTimeout = 10.0;

    IdleExit(MainQueue& queue, std::function<void(int)> exitProcess,
             double idleTimeout = defaultIdleTimeout)
        : queue_(queue)
        , exitProcess_(std::move(exitProcess))
        , idleTimeout_(idleTimeout) {}

    // Cancels a pending timer and arms a new one that exits with status 0 after the timeout.
    void scheduleExit();
    void connectionOpened();
    void connectionClosed();

    std::int64_t openConnections() const { return openConnections_; }
    bool exitPending() const { return timer_.has_value(); }

private:
    void cancelTimer();

    MainQueue& queue_;
    std::function<void(int)> exitProcess_;
    double idleTimeout_;
    std::int64_t openConnections_ = 0;
    std::optional<MainQueue::TimerId> timer_;
};

} // namespace orvane
