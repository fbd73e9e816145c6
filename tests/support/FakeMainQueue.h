#pragma once

#include <algorithm>
#include <deque>
#include <map>
#include <mutex>

#include "platform/ports/MainQueue.h"

namespace orvane::test {

// A main queue on a virtual clock: nothing runs until the test advances time or drains the queue.
class FakeMainQueue final : public MainQueue {
public:
    void post(Task task) override {
        const std::lock_guard lock(mutex_);
        posted_.push_back(std::move(task));
    }

    TimerId after(double seconds, Task task) override { return add(seconds, 0.0, std::move(task)); }
    TimerId every(double s, Task task) override { return add(s, s, std::move(task)); }
    void cancel(TimerId timer) override { timers_.erase(timer); }

    // Runs posted tasks, including those posted while running, until none is left.
    void drain() {
        for (Task task; (task = take());) {
            task();
        }
    }

    // Moves the clock forward, firing every timer that falls due on the way, in order.
    void advance(double seconds) {
        const double end = now_ + seconds;
        drain();
        for (;;) {
            const auto due = std::min_element(timers_.begin(), timers_.end(), [](auto& a, auto& b) {
                return a.second.deadline < b.second.deadline;
            });
            if (due == timers_.end() || due->second.deadline > end) {
                break;
            }
            now_ = due->second.deadline;
            Task task = due->second.task;
            if (due->second.interval > 0.0) {
                due->second.deadline += due->second.interval;
            } else {
                timers_.erase(due);
            }
            task();
            drain();
        }
        now_ = end;
    }

    double now() const { return now_; }
    std::size_t pendingTimers() const { return timers_.size(); }

private:
    struct Timer {
        double deadline;
        double interval;
        Task task;
    };

    TimerId add(double seconds, double interval, Task task) {
        timers_.emplace(next_, Timer{now_ + seconds, interval, std::move(task)});
        return next_++;
    }
    Task take() {
        const std::lock_guard lock(mutex_);
        Task task = posted_.empty() ? Task() : std::move(posted_.front());
        if (task) {
            posted_.pop_front();
        }
        return task;
    }

    std::mutex mutex_;
    std::deque<Task> posted_;
    std::map<TimerId, Timer> timers_;
    TimerId next_ = 1;
    double now_ = 0.0;
};

} // namespace orvane::test
