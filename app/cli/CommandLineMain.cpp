#include "app/cli/CommandLineMain.h"

#include <csignal>
#include <optional>
#include <string>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTextStream>

#include "app/cli/CommandLine.h"
#include "app/helperlink/HelperManager.h"
#include "platform/CorePlatform.h"

namespace orvane::cli {

void describeApplication() {
    QCoreApplication::setApplicationName("Orvane");
    QCoreApplication::setOrganizationDomain("com.halvern.Orvane");
    QCoreApplication::setApplicationVersion(ORVANE_VERSION);
}

int commandLineMain(int argc, char** argv) {
    // Under a file-size limit a write past it must fail with EFBIG and be reported, not end us.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication application(argc, argv);
    describeApplication();
    const std::optional<std::string> problem = platform::prepareApplication();

    // Every port the commands use is wired here, and only once a command is known to need them:
    // a usage error or --help touches none.
    std::optional<HelperManager> manager;
    std::optional<CliContext> context;
    const auto makeContext = [&](bool verbose) -> CliContext& {
        if (!context) {
            const platform::CommandLinePorts ports = platform::commandLinePorts(verbose);
            manager.emplace(ports.serviceManager, platform::helperTransport(),
                            platform::mainQueue(), ports.log);
            manager->keepRegistrationRecord(
                platform::defaults(),
                platform::bundle().infoString("CFBundleVersion").value_or(""));
            context.emplace(CliContext{
                platform::kernelLimit(), platform::physicalMemory(), platform::gpuMemoryStats(),
                platform::defaults(), *manager, ports.adminRunner, ports.log,
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
    return runCommandLine(QCoreApplication::arguments(), makeContext, out, err);
}

} // namespace orvane::cli
