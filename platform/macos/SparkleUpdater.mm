#include "platform/macos/SparkleUpdater.h"

#import <Sparkle/Sparkle.h>

namespace orvane::macos {

SparkleUpdater::SparkleUpdater()
    : controller_([[SPUStandardUpdaterController alloc] initWithStartingUpdater:YES
                                                                updaterDelegate:nil
                                                             userDriverDelegate:nil]) {}

void SparkleUpdater::checkForUpdates() {
    [controller_ checkForUpdates:nil];
}

bool SparkleUpdater::automaticallyChecksForUpdates() {
    return controller_.updater.automaticallyChecksForUpdates == YES;
}

void SparkleUpdater::setAutomaticallyChecksForUpdates(bool enabled) {
    controller_.updater.automaticallyChecksForUpdates = enabled ? YES : NO;
}

bool SparkleUpdater::automaticallyDownloadsUpdates() {
    return controller_.updater.automaticallyDownloadsUpdates == YES;
}

void SparkleUpdater::setAutomaticallyDownloadsUpdates(bool enabled) {
    controller_.updater.automaticallyDownloadsUpdates = enabled ? YES : NO;
}

} // namespace orvane::macos
