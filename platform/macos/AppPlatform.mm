// The application's ports on a Mac beyond those of CorePlatform.mm: the status item, the updater
// and the system's services as the application holds them, each built once.

#include "platform/AppPlatform.h"

#import <AppKit/AppKit.h>

#include <QCoreApplication>

#include "platform/macos/AppKitStatusItem.h"
#include "platform/macos/AppServiceManager.h"
#include "platform/macos/AppleScriptRunner.h"
#include "platform/macos/SparkleUpdater.h"

namespace orvane::platform {

ServiceManager& serviceManager() {
    static macos::AppServiceManager manager;
    return manager;
}

AdminRunner& adminRunner() {
    static macos::AppleScriptRunner runner;
    return runner;
}

std::unique_ptr<StatusItem> makeStatusItem() {
    return std::make_unique<macos::AppKitStatusItem>();
}

std::unique_ptr<Updater> makeUpdater() {
    return std::make_unique<macos::SparkleUpdater>();
}

// LaunchServices keeps a second launch of the bundle from starting; this catches the executable
// started again by hand. The user's own temporary folder (/var/folders/…/T) is private to them,
// and its path leaves room in a socket address.
std::filesystem::path instanceSocketPath() {
    NSString* folder = NSTemporaryDirectory();
    if (folder.length == 0) {
        return {};
    }
    return std::filesystem::path(folder.fileSystemRepresentation) / "com.halvern.Orvane.instance";
}

// LSUIElement already starts the process without a Dock icon; this keeps it so for the life of
// the process, whatever windows Qt opens.
void makeAccessory() {
    [NSApp setActivationPolicy:NSApplicationActivationPolicyAccessory];
}

void activateApplication() {
    // Recent SDKs announce the deprecation of this call in favour of -activate; until it is
    // withdrawn it does what the popover needs, on every macOS we run on.
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wdeprecated-declarations"
    [NSApp activateIgnoringOtherApps:YES];
#pragma clang diagnostic pop
}

void terminate() {
    QCoreApplication::quit();
}

} // namespace orvane::platform
