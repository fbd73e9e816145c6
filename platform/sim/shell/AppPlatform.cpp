// The application's ports on Linux: the stand-in for every Mac service, built once.

#include "platform/AppPlatform.h"

#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QDateTime>

#include "platform/qt/QtMainQueue.h"
#include "platform/sim/SimDirectory.h"
#include "platform/sim/SimGpuMemoryStats.h"
#include "platform/sim/SimKernelLimit.h"
#include "platform/sim/SimPhysicalMemory.h"
#include "platform/sim/StderrLog.h"
#include "platform/sim/helperlink/SimHelperTransport.h"
#include "platform/sim/helperlink/SimServiceManager.h"
#include "platform/sim/limit/QtDefaults.h"
#include "platform/sim/limit/SimAdminRunner.h"
#include "platform/sim/limit/XdgLoginItem.h"
#include "platform/sim/shell/DirectoryBundle.h"
#include "platform/sim/shell/LoginItemsWindow.h"
#include "platform/sim/shell/PasswordPrompt.h"
#include "platform/sim/shell/TerminalPasswordPrompt.h"
#include "platform/sim/shell/TrayStatusItem.h"
#include "platform/sim/update/SimUpdater.h"
#include "platform/sim/update/UpdateResultWindow.h"

namespace orvane::platform {

void prepareApplication() {
    if (const int error = sim::ensureSimDirectory(); error != 0) {
        std::fprintf(stderr, "Orvane: cannot prepare the sim directory %s: %s\n",
                     sim::simDirectory().c_str(), std::strerror(error));
    }
}

MainQueue& mainQueue() {
    static QtMainQueue queue;
    return queue;
}

Log& systemLog() {
    static sim::StderrLog log;
    return log;
}

Defaults& defaults() {
    static sim::QtDefaults defaults;
    return defaults;
}

KernelLimit& kernelLimit() {
    static sim::SimKernelLimit kernel(sim::simDirectory());
    return kernel;
}

PhysicalMemory& physicalMemory() {
    static sim::SimPhysicalMemory memory(sim::simDirectory());
    return memory;
}

GpuMemoryStats& gpuMemoryStats() {
    static sim::SimGpuMemoryStats stats(sim::simDirectory());
    return stats;
}

namespace {

sim::SimServiceManager& registry() {
    static sim::SimServiceManager manager(sim::simDirectory(), [] {
        sim::LoginItemsWindow::open([] { return registry().status(); },
                                    [](bool allowed) { registry().setApproved(allowed); });
    });
    return manager;
}

} // namespace

ServiceManager& serviceManager() {
    return registry();
}

HelperTransport& helperTransport() {
    static sim::SimHelperTransport transport(sim::simDirectory(), sim::defaultHelperPath());
    return transport;
}

AdminRunner& adminRunner() {
    static sim::SimAdminRunner runner(sim::simDirectory(), &sim::PasswordPrompt::ask);
    return runner;
}

LoginItem& loginItem() {
    static sim::XdgLoginItem item;
    return item;
}

Bundle& bundle() {
    static sim::DirectoryBundle bundle(sim::DirectoryBundle::defaultResourceDirectory(),
                                       {{"CFBundleShortVersionString", ORVANE_VERSION}});
    return bundle;
}

std::unique_ptr<StatusItem> makeStatusItem() {
    return std::make_unique<sim::TrayStatusItem>(bundle());
}

std::unique_ptr<Updater> makeUpdater() {
    // The feed's address is configuration: $ORVANE_FEED_URL, else our web site's appcast.
    static sim::FeedChecker checker(
        QUrl(qEnvironmentVariable("ORVANE_FEED_URL", sim::SimUpdater::defaultFeedURL)),
        ORVANE_VERSION);
    auto updater = std::make_unique<sim::SimUpdater>(
        defaults(), mainQueue(), checker,
        [](const sim::FeedChecker::Outcome& outcome) {
            sim::UpdateResultWindow::present(outcome, ORVANE_VERSION);
        },
        [] { return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0; });
    updater->start();
    return updater;
}

namespace {

// Logs nothing: the command line's stderr is for its own sentences unless -v.
class SilentLog final : public Log {
public:
    void write(LogLevel, std::string_view, std::string_view) override {}
};

} // namespace

CommandLinePorts commandLinePorts(bool verbose) {
    static sim::SimServiceManager manager(sim::simDirectory(), [] {
        std::fprintf(stderr,
                     "To allow OrvaneHelper, open Orvane's Login Items window (Open System "
                     "Settings in the popover), or create %s.\n",
                     (sim::simDirectory() / sim::approvedFileName).c_str());
    });
    static sim::SimAdminRunner runner(sim::simDirectory(), &sim::askPasswordOnTerminal);
    static SilentLog silent;
    return {manager, runner, verbose ? systemLog() : silent};
}

// Accessory windows are tool windows on Linux: they never show in the task bar.
void makeAccessory() {}

void activateApplication() {}

void terminate() {
    QApplication::quit();
}

} // namespace orvane::platform
