#include "platform/macos/daemon/DispatchMainQueue.h"

#import <Foundation/Foundation.h>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace orvane::macos {

namespace {

// A repeating timer runs at most this often: an interval of zero would keep the queue spinning.
constexpr std::int64_t shortestIntervalNanoseconds = 1'000'000;

std::int64_t nanoseconds(double seconds) {
    if (!(seconds > 0.0)) {
        return 0;
    }
    return static_cast<std::int64_t>(std::min(std::ceil(seconds * 1e9), 9.0e18));
}

} // namespace

DispatchMainQueue::~DispatchMainQueue() {
    for (auto& [id, timer] : timers_) {
        dispatch_source_cancel(timer);
    }
}

void DispatchMainQueue::post(Task task) {
    dispatch_async(dispatch_get_main_queue(), ^{
        task();
    });
}

MainQueue::TimerId DispatchMainQueue::after(double seconds, Task task) {
    return start(seconds, false, std::move(task));
}

MainQueue::TimerId DispatchMainQueue::every(double seconds, Task task) {
    return start(seconds, true, std::move(task));
}

void DispatchMainQueue::cancel(TimerId id) {
    forget(id);
}

dispatch_source_t DispatchMainQueue::forget(TimerId id) {
    const auto found = timers_.find(id);
    if (found == timers_.end()) {
        return nil;
    }
    dispatch_source_t timer = found->second;
    dispatch_source_cancel(timer);
    timers_.erase(found);
    return timer;
}

MainQueue::TimerId DispatchMainQueue::start(double seconds, bool repeating, Task task) {
    const TimerId id = next_++;
    const std::int64_t delay = nanoseconds(seconds);
    dispatch_source_t timer =
        dispatch_source_create(DISPATCH_SOURCE_TYPE_TIMER, 0, 0, dispatch_get_main_queue());
    const std::uint64_t interval =
        repeating ? static_cast<std::uint64_t>(std::max(delay, shortestIntervalNanoseconds))
                  : DISPATCH_TIME_FOREVER;
    dispatch_source_set_timer(timer, dispatch_time(DISPATCH_TIME_NOW, delay), interval, 0);
    dispatch_source_set_event_handler(timer, ^{
        // A one-shot timer is forgotten before its task runs, so that the task may start new ones;
        // the local reference keeps the source alive until its own handler has returned.
        NS_VALID_UNTIL_END_OF_SCOPE dispatch_source_t firing = repeating ? nil : forget(id);
        task();
        (void)firing;
    });
    timers_.emplace(id, timer);
    dispatch_resume(timer);
    return id;
}

} // namespace orvane::macos
