#pragma once

#include <dispatch/dispatch.h>
#include <map>

#include "platform/ports/MainQueue.h"

namespace orvane::macos {

// The daemon's main queue: libdispatch's, served by dispatch_main(). Timers are dispatch timer
// sources with no leeway, so the idle exit fires when it is due rather than when it suits the
// system. post() may be called from any queue; the rest only on the main queue.
class DispatchMainQueue final : public MainQueue {
public:
    DispatchMainQueue() = default;
    ~DispatchMainQueue() override;

    DispatchMainQueue(const DispatchMainQueue&) = delete;
    DispatchMainQueue& operator=(const DispatchMainQueue&) = delete;

    void post(Task task) override;
    TimerId after(double seconds, Task task) override;
    TimerId every(double seconds, Task task) override;
    void cancel(TimerId timer) override;

private:
    TimerId start(double seconds, bool repeating, Task task);
    // Cancels the timer and hands back the last reference to it (nil for an unknown id).
    dispatch_source_t forget(TimerId id);

    std::map<TimerId, dispatch_source_t> timers_;
    TimerId next_ = 1;
};

} // namespace orvane::macos
