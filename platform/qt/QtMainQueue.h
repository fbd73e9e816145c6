#pragma once

#include <map>

#include <QObject>
#include <QPointer>

#include "platform/ports/MainQueue.h"

class QTimer;

namespace orvane {

// The main queue served by the Qt event loop of the application's main thread.
class QtMainQueue final : public MainQueue {
public:
    QtMainQueue();
    ~QtMainQueue() override;

    void post(Task task) override;
    TimerId after(double seconds, Task task) override;
    TimerId every(double seconds, Task task) override;
    void cancel(TimerId timer) override;

private:
    TimerId start(double seconds, bool repeating, Task task);
    static void retire(QTimer* timer);

    QObject context_; // lives on the main thread; posted tasks run in its thread
    std::map<TimerId, QTimer*> timers_;
    TimerId next_ = 1;
};

} // namespace orvane
