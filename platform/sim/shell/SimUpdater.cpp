#include "platform/sim/shell/SimUpdater.h"

namespace orvane::sim {

namespace {

constexpr const char* checksKey = "SUEnableAutomaticChecks";
constexpr const char* downloadsKey = "SUAutomaticallyUpdate";

} // namespace

void SimUpdater::checkForUpdates() {}

bool SimUpdater::automaticallyChecksForUpdates() {
    return defaults_.boolValue(checksKey).value_or(true);
}

void SimUpdater::setAutomaticallyChecksForUpdates(bool enabled) {
    defaults_.setBool(checksKey, enabled);
}

bool SimUpdater::automaticallyDownloadsUpdates() {
    return defaults_.boolValue(downloadsKey).value_or(false);
}

void SimUpdater::setAutomaticallyDownloadsUpdates(bool enabled) {
    defaults_.setBool(downloadsKey, enabled);
}

} // namespace orvane::sim
