// Orvane: the menu-bar application, or with a command the command-line tool (the same as orvane).

#include <csignal>
#include <cstdio>

#include <QApplication>
#include <QTimer>

#include "app/cli/CommandLine.h"
#include "app/cli/CommandLineMain.h"
#include "app/helperlink/HelperManager.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/ApplicationModel.h"
#include "app/shell/ShellTexts.h"
#include "app/shell/SingleInstance.h"
#include "platform/AppPlatform.h"
#include "shared/Logger.h"

using namespace orvane;

namespace {

int runApplication(int argc, char** argv) {
    QApplication application(argc, argv);
    cli::describeApplication();
    // The application lives in the menu bar; closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    if (const auto problem = platform::prepareApplication()) {
        Logger(platform::systemLog(), "app").error("%{public}s", {*problem});
        return 3;
    }
    // One Orvane at a time: a later start shows the running one's popover, and ends.
    SingleInstance instance(QString::fromStdString(platform::instanceSocketPath().string()));
    switch (instance.claim()) {
    case SingleInstance::Claim::first:
        break;
    case SingleInstance::Claim::shownByTheFirst:
        std::fputs(shell_text::alreadyRunningShown, stderr);
        return 0;
    case SingleInstance::Claim::firstSilent:
        std::fputs(shell_text::alreadyRunning, stderr);
        return 0;
    }

    AppDelegate delegate(ShellServices{
        .defaults = platform::defaults(),
        .bundle = platform::bundle(),
        .makeStatusItem = platform::makeStatusItem,
        .makeUpdater = platform::makeUpdater,
        .makeModel = makeApplicationModel,
        .makeAccessory = platform::makeAccessory,
        .activate = platform::activateApplication,
        .terminate = platform::terminate,
        // An update's changed helper is registered anew first: the kept limit goes to the new one.
        .afterStatusItem =
            [] { HelperManager::shared().renewRegistrationIfChanged(restoreKeptLimitAtLaunch); },
    });
    QObject::connect(&instance, &SingleInstance::showRequested, &delegate,
                     &AppDelegate::showYourself);
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); });
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    // Under a file-size limit a write past it must fail with EFBIG and be reported, not end us.
    std::signal(SIGXFSZ, SIG_IGN);
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return cli::isCommandLine(arguments)
               ? cli::commandLineMain(argc, argv, cli::Runner::application)
               : runApplication(argc, argv);
}
