#include "app/cli/CommandLineMain.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTextStream>

#include "app/cli/ApplicationCommand.h"
#include "app/cli/CommandLine.h"
#include "app/helperlink/HandshakeServiceManager.h"
#include "app/helperlink/HelperManager.h"
#include "platform/CorePlatform.h"
#include "shared/HelperIdentity.h"

namespace orvane::cli {

void describeApplication() {
    QCoreApplication::setApplicationName("Orvane");
    QCoreApplication::setOrganizationDomain("com.halvern.Orvane");
    QCoreApplication::setApplicationVersion(ORVANE_VERSION);
}

namespace {

// A standard stream that whoever started us closed stays closed: left free, its number would go
// to the next file opened here, and output meant for the terminal into that file. Held open the
// wrong way round, it fails every read or write as a closed one does.
void holdClosedStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            const int held = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
            if (held >= 0 && held != fd) {
                ::dup2(held, fd);
                ::close(held);
            }
        }
    }
}

} // namespace

int commandLineMain(int argc, char** argv, Runner runner) {
    holdClosedStandardStreams();
    // Under a file-size limit a write past it must fail with EFBIG and be reported, not end us;
    // so must a write into a pipe whose reader has gone, whether or not SIGPIPE is ignored.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    // As QCoreApplication reads them: each in the local 8-bit encoding, UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    describeApplication();
    const std::optional<std::string> problem = platform::prepareApplication();

    // The application object serves the main queue. Only a command that waits for the helper
    // needs it, and it comes first, so that every timer and posted task has its event loop; a
    // read such as status is spared its cost. Destroyed last, after what posts to it.
    std::optional<QCoreApplication> application;
    const auto serveMainQueue = [&] {
        if (!application) {
            application.emplace(argc, argv);
        }
    };

    // Every port the commands use is wired here, and only once a command is known to need them:
    // a usage error or --help touches none.
    std::optional<ApplicationCommand> applicationCommand;
    std::optional<HandshakeServiceManager> handshake;
    std::optional<HelperManager> manager;
    std::optional<CliContext> context;
    const auto makeContext = [&](const ContextNeeds& needs) -> CliContext& {
        if (needs.mainQueue) {
            serveMainQueue();
        }
        if (!context) {
            const platform::CommandLinePorts ports = platform::commandLinePorts(needs.verbose);
            HelperTransport& transport = platform::helperTransport();
            if (runner == Runner::separateTool) {
                applicationCommand.emplace(platform::bundle().applicationExecutable());
                handshake.emplace(ports.serviceManager, transport, ports.log);
                manager.emplace(*handshake, transport, platform::mainQueue(), ports.log);
            } else {
                manager.emplace(ports.serviceManager, transport, platform::mainQueue(), ports.log);
                manager->keepRegistrationRecord(
                    platform::defaults(),
                    platform::bundle().launchDaemonPropertyList(helperPlistName),
                    platform::bundle().bundlePath());
            }
            context.emplace(CliContext{
                platform::kernelLimit(), platform::physicalMemory(), platform::gpuMemoryStats(),
                platform::defaults(), *manager, ports.adminRunner, platform::loginItem(), ports.log,
                [&serveMainQueue](const std::function<bool()>& done) {
                    serveMainQueue(); // never a wait without a loop to end it
                    while (!done()) {
                        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
                    }
                },
                problem, platform::gpuWorkingSet(), platform::modelFiles(),
                platform::bundle().bundlePath(),
                applicationCommand ? &*applicationCommand : nullptr});
        }
        return *context;
    };
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runCommandLine(arguments, makeContext, out, err);
}

} // namespace orvane::cli
