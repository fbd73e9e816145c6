#include "platform/qt/QtMainQueue.h"

#include <algorithm>
#include <cmath>

#include <QMetaObject>
#include <QTimer>

namespace orvane {

namespace {

int milliseconds(double seconds) {
    if (!(seconds > 0.0)) {
        return 0;
    }
    return static_cast<int>(std::min(std::ceil(seconds * 1000.0), 2.0e9));
}

} // namespace

QtMainQueue::QtMainQueue() = default;

QtMainQueue::~QtMainQueue() {
    for (auto& [id, timer] : timers_) {
        delete timer;
    }
}

void QtMainQueue::post(Task task) {
    QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
}

MainQueue::TimerId QtMainQueue::after(double seconds, Task task) {
    return start(seconds, false, std::move(task));
}

MainQueue::TimerId QtMainQueue::every(double seconds, Task task) {
    return start(seconds, true, std::move(task));
}

void QtMainQueue::cancel(TimerId id) {
    const auto found = timers_.find(id);
    if (found != timers_.end()) {
        retire(found->second);
        timers_.erase(found);
    }
}

void QtMainQueue::retire(QTimer* timer) {
    // Stopped at once: a nested event loop (a modal dialog) does not run deferred deletes, and
    // the timer must not fire in it. Deleted later, as it may be the one whose task is running.
    timer->stop();
    timer->deleteLater();
}

MainQueue::TimerId QtMainQueue::start(double seconds, bool repeating, Task task) {
    const TimerId id = next_++;
    auto* timer = new QTimer;
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(!repeating);
    timer->setInterval(std::max(milliseconds(seconds), repeating ? 1 : 0));
    QObject::connect(timer, &QTimer::timeout, timer, [this, id, repeating, task = std::move(task)] {
        if (!repeating) {
            // Forget the timer before the task runs, so that the task may start new ones freely.
            const auto found = timers_.find(id);
            if (found != timers_.end()) {
                retire(found->second);
                timers_.erase(found);
            }
        }
        task();
    });
    timers_.emplace(id, timer);
    timer->start();
    return id;
}

} // namespace orvane
