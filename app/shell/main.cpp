// Orvane: the menu-bar application, or with a command the command-line tool.

#include <csignal>
#include <cstdio>
#include <optional>

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "app/cli/CommandLine.h"
#include "app/helperlink/HelperManager.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/ApplicationModel.h"
#include "platform/AppPlatform.h"
#include "shared/Logger.h"

using namespace orvane;

namespace {

void describeApplication() {
    QCoreApplication::setApplicationName("Orvane");
    QCoreApplication::setOrganizationDomain("com.halvern.Orvane");
    QCoreApplication::setApplicationVersion(ORVANE_VERSION);
}

int runApplication(int argc, char** argv) {
    QApplication application(argc, argv);
    describeApplication();
    // The application lives in the menu bar; closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    if (const auto problem = platform::prepareApplication()) {
        Logger(platform::systemLog(), "app").error("%{public}s", {*problem});
        return 3;
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
        // An update's helper is registered anew first: the kept limit goes to the new one.
        .afterStatusItem =
            [] { HelperManager::shared().renewRegistrationIfStale(restoreKeptLimitAtLaunch); },
    });
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); });
    return QApplication::exec();
}

int runCommand(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    describeApplication();
    const std::optional<std::string> problem = platform::prepareApplication();

    std::optional<HelperManager> manager;
    std::optional<cli::CliContext> context;
    const auto makeContext = [&](bool verbose) -> cli::CliContext& {
        if (!context) {
            const platform::CommandLinePorts ports = platform::commandLinePorts(verbose);
            manager.emplace(ports.serviceManager, platform::helperTransport(),
                            platform::mainQueue(), ports.log);
            manager->keepRegistrationRecord(
                platform::defaults(),
                platform::bundle().infoString("CFBundleVersion").value_or(""));
            context.emplace(cli::CliContext{
                platform::kernelLimit(), platform::physicalMemory(), platform::gpuMemoryStats(),
                platform::defaults(), *manager, ports.adminRunner, platform::loginItem(), ports.log,
                [](const std::function<bool()>& done) {
                    while (!done()) {
                        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
                    }
                },
                problem});
        }
        return *context;
    };
    QTextStream out(stdout);
    QTextStream err(stderr);
    return cli::runCommandLine(QCoreApplication::arguments(), makeContext, out, err);
}

} // namespace

int main(int argc, char** argv) {
    // Under a file-size limit a write past it must fail with EFBIG and be reported, not end us.
    std::signal(SIGXFSZ, SIG_IGN);
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return cli::isCommandLine(arguments) ? runCommand(argc, argv) : runApplication(argc, argv);
}
