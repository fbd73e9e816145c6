// The application's ports on Linux beyond those of platform/sim/core: the stand-ins with windows
// (Login Items, the password dialog, the tray, the update result), built once.

#include "platform/AppPlatform.h"

#include <QApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QIcon>

#include "platform/sim/DirectoryBundle.h"
#include "platform/sim/SimDirectory.h"
#include "platform/sim/helperlink/SimServiceManager.h"
#include "platform/sim/limit/PasswordDialogProcess.h"
#include "platform/sim/limit/SimAdminRunner.h"
#include "platform/sim/shell/LoginItemsWindow.h"
#include "platform/sim/shell/TrayStatusItem.h"
#include "platform/sim/update/SimUpdater.h"
#include "platform/sim/update/UpdateResultWindow.h"

namespace orvane::platform {

namespace {

sim::SimServiceManager& registry() {
    static sim::SimServiceManager manager(sim::simDirectory(), sim::thisProcess(), [] {
        sim::LoginItemsWindow::open([] { return registry().status(); },
                                    [](bool allowed) { registry().setApproved(allowed); });
    });
    return manager;
}

} // namespace

ServiceManager& serviceManager() {
    return registry();
}

AdminRunner& adminRunner() {
    // The dialog shows on the display the application shows on, even one chosen by -platform.
    static const sim::PasswordDialogProcess dialog(
        sim::PasswordDialogProcess::defaultProgram(),
        {"QT_QPA_PLATFORM=" + QGuiApplication::platformName().toStdString()});
    static sim::SimAdminRunner runner(sim::simDirectory(),
                                      [](const std::string& prompt) { return dialog.ask(prompt); });
    return runner;
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

// The sim directory is the stand-in machine, so one Orvane runs per sim directory: a test or a
// second stand-in Mac with a directory of its own runs beside the user's. The directory is the
// user's own (prepareApplication refuses another's) and holds the helper's socket already, so a
// socket path in it fits.
std::filesystem::path instanceSocketPath() {
    const std::filesystem::path directory = sim::simDirectory();
    return directory.empty() ? directory : directory / "orvane.instance";
}

// Accessory windows are tool windows on Linux: they never show in the task bar. A desktop that
// shows window icons anyway (the popover as a window, the terms) shows the application's, as the
// Mac shows the bundle's.
void makeAccessory() {
    QIcon icon;
    for (const int size : sim::appIconSizes) {
        if (const auto path = bundle().pathForResource("AppIcon_" + std::to_string(size), "png")) {
            icon.addFile(QString::fromStdString(path->string()), QSize(size, size));
        }
    }
    QApplication::setWindowIcon(icon);
}

void activateApplication() {}

void terminate() {
    QApplication::quit();
}

} // namespace orvane::platform
