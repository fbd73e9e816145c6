#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/ports/MainQueue.h"
#include "platform/sim/UniqueFd.h"

namespace orvane::sim {

// The daemon's single loop: it serves readable descriptors, posted tasks and timers, all on the
// thread that calls run().
class EventLoop final : public MainQueue {
public:
    using Clock = std::chrono::steady_clock;
    using ReadableHandler = std::function<void()>;

    EventLoop();

    // Calls handler whenever fd has data (or has been closed by its peer). One handler per fd.
    bool watch(int fd, ReadableHandler handler);
    void unwatch(int fd);

    // Serves until stop(); returns the status given to stop().
    int run();
    void stop(int status);

    void post(Task task) override;
    TimerId after(double seconds, Task task) override;
    TimerId every(double seconds, Task task) override;
    void cancel(TimerId timer) override;

private:
    struct Timer {
        Clock::time_point deadline;
        Clock::duration interval; // zero for one-shot timers
        Task task;
    };

    TimerId addTimer(double seconds, bool repeating, Task task);
    int waitTimeoutMs() const;
    void runDueTimers();
    void runPosted();
    void wake();

    UniqueFd epoll_;
    UniqueFd wakeFd_;
    std::unordered_map<int, ReadableHandler> handlers_;
    std::map<TimerId, Timer> timers_;
    TimerId nextTimer_ = 1;
    mutable std::mutex postedMutex_;
    std::deque<Task> posted_;
    std::optional<int> stopStatus_;
};

} // namespace orvane::sim
