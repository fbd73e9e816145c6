#include "platform/sim/update/SimUpdater.h"

#include <algorithm>

namespace orvane::sim {

namespace {

constexpr const char* checksKey = "SUEnableAutomaticChecks";
constexpr const char* downloadsKey = "SUAutomaticallyUpdate";
constexpr const char* lastCheckKey = "SULastCheckTime";

} // namespace

SimUpdater::SimUpdater(Defaults& defaults, MainQueue& queue, FeedChecker& checker,
                       Presenter present, std::function<double()> now)
    : defaults_(defaults)
    , queue_(queue)
    , checker_(checker)
    , present_(std::move(present))
    , now_(std::move(now)) {}

SimUpdater::~SimUpdater() {
    if (timer_) {
        queue_.cancel(*timer_);
    }
}

void SimUpdater::start() {
    // The first run checks a full interval later, not at once.
    if (!defaults_.doubleValue(lastCheckKey)) {
        defaults_.setDouble(lastCheckKey, now_());
    }
    schedule();
}

void SimUpdater::schedule() {
    if (timer_) {
        queue_.cancel(*timer_);
        timer_.reset();
    }
    if (!automaticallyChecksForUpdates()) {
        return;
    }
    const double last = defaults_.doubleValue(lastCheckKey).value_or(now_());
    const double due =
        std::clamp(last + scheduledCheckInterval - now_(), 0.0, scheduledCheckInterval);
    timer_ = queue_.after(due, [this] {
        timer_.reset();
        runScheduledCheck();
    });
}

void SimUpdater::runScheduledCheck() {
    // Long timers may fire early on some systems; only a check that is due runs.
    const double last = defaults_.doubleValue(lastCheckKey).value_or(0.0);
    if (now_() < last + scheduledCheckInterval || checking_) {
        schedule();
        return;
    }
    checking_ = true;
    defaults_.setDouble(lastCheckKey, now_());
    checker_.check([this](const FeedChecker::Outcome& outcome) {
        checking_ = false;
        using Kind = FeedChecker::Outcome::Kind;
        if (outcome.kind == Kind::updateAvailable || outcome.kind == Kind::informational) {
            present_(outcome);
        }
        schedule();
    });
}

void SimUpdater::checkForUpdates() {
    checker_.check([this](const FeedChecker::Outcome& outcome) {
        if (outcome.kind != FeedChecker::Outcome::Kind::failed) {
            defaults_.setDouble(lastCheckKey, now_());
        }
        present_(outcome);
    });
}

bool SimUpdater::automaticallyChecksForUpdates() {
    return defaults_.boolValue(checksKey).value_or(true);
}

void SimUpdater::setAutomaticallyChecksForUpdates(bool enabled) {
    defaults_.setBool(checksKey, enabled);
    schedule();
}

bool SimUpdater::automaticallyDownloadsUpdates() {
    return defaults_.boolValue(downloadsKey).value_or(false);
}

void SimUpdater::setAutomaticallyDownloadsUpdates(bool enabled) {
    defaults_.setBool(downloadsKey, enabled);
}

} // namespace orvane::sim
