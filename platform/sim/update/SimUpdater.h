#pragma once

#include <functional>
#include <optional>

#include "platform/ports/Defaults.h"
#include "platform/ports/MainQueue.h"
#include "platform/ports/Updater.h"
#include "platform/sim/update/FeedChecker.h"

namespace orvane::sim {

// The updater on Linux: its two settings in the application's settings, a scheduled check of
// the feed while automatic checks are on (silent unless there is something new), and a check on
// request that always tells the user what it found. Installing is left to the package manager,
// so "automatically download" is kept as a setting only.
class SimUpdater final : public Updater {
public:
    using Presenter = std::function<void(const FeedChecker::Outcome&)>;

    static constexpr double scheduledCheckInterval = 2592000.0; // 30 days
    static constexpr const char* defaultFeedURL = "https://orvane.halvern.com/updates/appcast.xml";

    SimUpdater(Defaults& defaults, MainQueue& queue, FeedChecker& checker, Presenter present,
               std::function<double()> now);
    ~SimUpdater() override;

    // Starts the schedule; called once, when the application starts.
    void start();

    void checkForUpdates() override;
    bool automaticallyChecksForUpdates() override;
    void setAutomaticallyChecksForUpdates(bool enabled) override;
    bool automaticallyDownloadsUpdates() override;
    void setAutomaticallyDownloadsUpdates(bool enabled) override;

    bool checkScheduled() const { return timer_.has_value(); }

private:
    void schedule();
    void runScheduledCheck();

    Defaults& defaults_;
    MainQueue& queue_;
    FeedChecker& checker_;
    Presenter present_;
    std::function<double()> now_;
    std::optional<MainQueue::TimerId> timer_;
    bool checking_ = false;
};

} // namespace orvane::sim
