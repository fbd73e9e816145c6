// The application's ports on a Mac: the system's own services, each built once on first use.

#include "platform/AppPlatform.h"

#import <AppKit/AppKit.h>

#include <QCoreApplication>

#include "platform/macos/AcceleratorMemoryStats.h"
#include "platform/macos/AppKitStatusItem.h"
#include "platform/macos/AppServiceManager.h"
#include "platform/macos/AppleScriptRunner.h"
#include "platform/macos/MainAppLoginItem.h"
#include "platform/macos/MainBundle.h"
#include "platform/macos/OsLog.h"
#include "platform/macos/ProcessInfoMemory.h"
#include "platform/macos/SparkleUpdater.h"
#include "platform/macos/StandardUserDefaults.h"
#include "platform/macos/SysctlKernelLimit.h"
#include "platform/macos/XpcHelperTransport.h"
#include "platform/qt/QtMainQueue.h"

namespace orvane::platform {

// Nothing to prepare: the system's services exist before we do, and keep their own storage.
std::optional<std::string> prepareApplication() {
    return std::nullopt;
}

MainQueue& mainQueue() {
    static QtMainQueue queue;
    return queue;
}

// Never destroyed: XPC replies may still be logging from their queues while the process exits.
Log& systemLog() {
    static auto* log = new macos::OsLog;
    return *log;
}

Defaults& defaults() {
    static macos::StandardUserDefaults defaults;
    return defaults;
}

KernelLimit& kernelLimit() {
    static macos::SysctlKernelLimit kernel;
    return kernel;
}

PhysicalMemory& physicalMemory() {
    static macos::ProcessInfoMemory memory;
    return memory;
}

GpuMemoryStats& gpuMemoryStats() {
    static macos::AcceleratorMemoryStats stats;
    return stats;
}

ServiceManager& serviceManager() {
    static macos::AppServiceManager manager;
    return manager;
}

HelperTransport& helperTransport() {
    static macos::XpcHelperTransport transport;
    return transport;
}

AdminRunner& adminRunner() {
    static macos::AppleScriptRunner runner;
    return runner;
}

LoginItem& loginItem() {
    static macos::MainAppLoginItem item;
    return item;
}

Bundle& bundle() {
    static macos::MainBundle bundle;
    return bundle;
}

// The command line uses the same services: System Settings opens for approval, the system shows
// its own password dialog, and the log goes to the unified log, never into the command's output.
CommandLinePorts commandLinePorts(bool) {
    return {serviceManager(), adminRunner(), systemLog()};
}

std::unique_ptr<StatusItem> makeStatusItem() {
    return std::make_unique<macos::AppKitStatusItem>();
}

std::unique_ptr<Updater> makeUpdater() {
    return std::make_unique<macos::SparkleUpdater>();
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
