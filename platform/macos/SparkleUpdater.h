#pragma once

#include "platform/ports/Updater.h"

@class SPUStandardUpdaterController;

namespace orvane::macos {

// Sparkle's standard updater: started when it is created, configured by the update keys of the
// bundle's information property list, with no delegates. Main thread only, as Sparkle requires.
class SparkleUpdater final : public Updater {
public:
    SparkleUpdater();

    void checkForUpdates() override;
    bool automaticallyChecksForUpdates() override;
    void setAutomaticallyChecksForUpdates(bool enabled) override;
    bool automaticallyDownloadsUpdates() override;
    void setAutomaticallyDownloadsUpdates(bool enabled) override;

private:
    SPUStandardUpdaterController* controller_;
};

} // namespace orvane::macos
