#include "platform/sim/daemon/EventLoop.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <sys/epoll.h>
#include <sys/eventfd.h>

namespace orvane::sim {

namespace {

EventLoop::Clock::duration toDuration(double seconds) {
    if (!(seconds > 0.0)) {
        return EventLoop::Clock::duration::zero();
    }
    return std::chrono::duration_cast<EventLoop::Clock::duration>(
        std::chrono::duration<double>(std::min(seconds, 1.0e6)));
}

} // namespace

EventLoop::EventLoop()
    : epoll_(::epoll_create1(EPOLL_CLOEXEC))
    , wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (epoll_ && wakeFd_) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = wakeFd_.get();
        ::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, wakeFd_.get(), &event);
    }
}

bool EventLoop::watch(int fd, ReadableHandler handler) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd, &event) != 0) {
        return false;
    }
    handlers_[fd] = std::move(handler);
    return true;
}

void EventLoop::unwatch(int fd) {
    ::epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, fd, nullptr);
    handlers_.erase(fd);
}

int EventLoop::run() {
    if (!epoll_ || !wakeFd_) {
        return 1;
    }
    std::array<epoll_event, 64> events{};
    while (!stopStatus_) {
        runPosted();
        runDueTimers();
        if (stopStatus_) {
            break;
        }
        const int count = ::epoll_wait(epoll_.get(), events.data(), static_cast<int>(events.size()),
                                       waitTimeoutMs());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return 1;
        }
        for (int i = 0; i < count && !stopStatus_; ++i) {
            const int fd = events[static_cast<std::size_t>(i)].data.fd;
            if (fd == wakeFd_.get()) {
                std::uint64_t drained = 0;
                [[maybe_unused]] const ssize_t n = ::read(fd, &drained, sizeof drained);
                continue;
            }
            // A handler may unwatch this or another fd; look it up afresh for every event.
            const auto found = handlers_.find(fd);
            if (found != handlers_.end()) {
                const ReadableHandler handler = found->second;
                handler();
            }
        }
    }
    return *stopStatus_;
}

void EventLoop::stop(int status) {
    if (!stopStatus_) {
        stopStatus_ = status;
    }
}

void EventLoop::post(Task task) {
    {
        const std::lock_guard lock(postedMutex_);
        posted_.push_back(std::move(task));
    }
    wake();
}

MainQueue::TimerId EventLoop::after(double seconds, Task task) {
    return addTimer(seconds, false, std::move(task));
}

MainQueue::TimerId EventLoop::every(double seconds, Task task) {
    return addTimer(seconds, true, std::move(task));
}

void EventLoop::cancel(TimerId timer) {
    timers_.erase(timer);
}

MainQueue::TimerId EventLoop::addTimer(double seconds, bool repeating, Task task) {
    Clock::duration delay = toDuration(seconds);
    if (repeating) {
        delay = std::max<Clock::duration>(delay, std::chrono::milliseconds(1));
    }
    const TimerId id = nextTimer_++;
    timers_.emplace(id, Timer{Clock::now() + delay, repeating ? delay : Clock::duration::zero(),
                              std::move(task)});
    return id;
}

int EventLoop::waitTimeoutMs() const {
    {
        const std::lock_guard lock(postedMutex_);
        if (!posted_.empty()) {
            return 0;
        }
    }
    if (timers_.empty()) {
        return -1;
    }
    Clock::time_point earliest = Clock::time_point::max();
    for (const auto& [id, timer] : timers_) {
        earliest = std::min(earliest, timer.deadline);
    }
    const auto remaining = earliest - Clock::now();
    if (remaining <= Clock::duration::zero()) {
        return 0;
    }
    // Round up, so that the loop never wakes a moment before the deadline and spins.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
    return static_cast<int>(std::min<long long>(ms, 24LL * 3600 * 1000));
}

void EventLoop::runDueTimers() {
    const Clock::time_point now = Clock::now();
    // Collect first: a task may add or cancel timers.
    std::vector<TimerId> due;
    for (const auto& [id, timer] : timers_) {
        if (timer.deadline <= now) {
            due.push_back(id);
        }
    }
    for (TimerId id : due) {
        const auto found = timers_.find(id);
        if (found == timers_.end() || stopStatus_) {
            continue;
        }
        Task task = found->second.task;
        if (found->second.interval > Clock::duration::zero()) {
            found->second.deadline = now + found->second.interval;
        } else {
            timers_.erase(found);
        }
        task();
    }
}

void EventLoop::runPosted() {
    std::deque<Task> tasks;
    {
        const std::lock_guard lock(postedMutex_);
        tasks.swap(posted_);
    }
    for (Task& task : tasks) {
        task();
    }
}

void EventLoop::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_.get(), &one, sizeof one);
}

} // namespace orvane::sim
