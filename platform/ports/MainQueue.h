#pragma once

#include <cstdint>
#include <functional>

namespace orvane {

// The main thread's queue and its timers. Everything that touches the application's state, and
// everything in the daemon, runs through it; tests drive it on a virtual clock.
class MainQueue {
public:
    using Task = std::function<void()>;
    using TimerId = std::uint64_t;

    virtual ~MainQueue() = default;

    // Runs the task soon on the main thread. The only call allowed from other threads.
    virtual void post(Task task) = 0;

    // Runs the task once after the delay. Main thread only.
    virtual TimerId after(double seconds, Task task) = 0;

    // Runs the task every interval until cancelled. Main thread only.
    virtual TimerId every(double seconds, Task task) = 0;

    // Stops a timer that has not fired yet (or a repeating one); unknown ids are ignored.
    virtual void cancel(TimerId timer) = 0;
};

} // namespace orvane
