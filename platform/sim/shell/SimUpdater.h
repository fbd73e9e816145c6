#pragma once

#include "platform/ports/Defaults.h"
#include "platform/ports/Updater.h"

namespace orvane::sim {

// The updater on Linux. Its two settings live in the application's settings.
class SimUpdater final : public Updater {
public:
    explicit SimUpdater(Defaults& defaults) : defaults_(defaults) {}

    void checkForUpdates() override;
    bool automaticallyChecksForUpdates() override;
    void setAutomaticallyChecksForUpdates(bool enabled) override;
    bool automaticallyDownloadsUpdates() override;
    void setAutomaticallyDownloadsUpdates(bool enabled) override;

private:
    Defaults& defaults_;
};

} // namespace orvane::sim
