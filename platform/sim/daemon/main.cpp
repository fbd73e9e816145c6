// OrvaneHelper on Linux: the privileged helper, serving the stand-in kernel variable of the sim
// directory over a local seqpacket socket instead of XPC.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "helper/HelperService.h"
#include "helper/IdleExit.h"
#include "helper/RequestHandler.h"
#include "platform/sim/Seqpacket.h"
#include "platform/sim/SimDirectory.h"
#include "platform/sim/SimKernelLimit.h"
#include "platform/sim/SimPhysicalMemory.h"
#include "platform/sim/StandInFile.h"
#include "platform/sim/StderrLog.h"
#include "platform/sim/daemon/EventLoop.h"
#include "platform/sim/daemon/HelperServer.h"
#include "platform/sim/daemon/SocketActivation.h"
#include "shared/ErrnoText.h"

using namespace orvane;

namespace {

constexpr const char* usage =
    "usage: OrvaneHelper [--listen PATH]\n"
    "Serves the Orvane helper protocol on the socket handed over by socket activation\n"
    "(LISTEN_FDS/LISTEN_PID), or on PATH when --listen is given. Exits after 10 idle seconds.\n";

// Tests shorten the idle period; the product always runs with the default.
double idleTimeout() {
    const char* text = std::getenv("ORVANE_HELPER_IDLE_TIMEOUT");
    if (!text) {
        return IdleExit::defaultIdleTimeout;
    }
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(seconds > 0.0) || !(seconds <= 3600.0)) {
        return IdleExit::defaultIdleTimeout;
    }
    return seconds;
}

// Binds PATH for a manual run, replacing a socket file that nobody serves any more.
sim::UniqueFd listenOnPath(const std::string& path, const Logger& log) {
    int error = 0;
    if (sim::UniqueFd probe = sim::connectSeqpacket(path, &error)) {
        log.error("Another helper already serves %{public}s", {path});
        return {};
    }
    // Only a socket is ours to replace; a file of another kind by that name stays.
    struct stat info {};
    if (error == ECONNREFUSED && ::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) {
        ::unlink(path.c_str());
    }
    sim::UniqueFd listener = sim::listenSeqpacket(path, &error);
    if (!listener) {
        log.error("Listening on %{public}s failed: %{public}s", {path, errnoText(error)});
    }
    return listener;
}

} // namespace

int main(int argc, char** argv) {
    std::string listenPath;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--listen" && i + 1 < argc) {
            listenPath = argv[++i];
        } else if (argument == "--help" || argument == "-h") {
            std::fputs(usage, stdout);
            return 0;
        } else {
            std::fputs(usage, stderr);
            return 2;
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    // Started under a file-size limit, a write past it must fail with EFBIG, which goes back to
    // the client, rather than end the daemon.
    std::signal(SIGXFSZ, SIG_IGN);

    sim::StderrLog systemLog;
    const Logger helperLog(systemLog, "helper");
    sim::setStandInLog(helperLog);

    sim::ActivatedListener activated = sim::takeActivatedListener();
    sim::UniqueFd listener;
    if (!listenPath.empty()) {
        listener = listenOnPath(listenPath, helperLog);
    } else if (activated.fd) {
        listener = std::move(activated.fd);
    } else {
        helperLog.error("No listening socket: %{public}s",
                        {activated.problem.empty() ? std::string("start me by socket activation "
                                                                 "or with --listen PATH")
                                                   : activated.problem});
    }
    if (!listener) {
        return 1;
    }

    const auto directory = sim::simDirectory();
    // Without one, the stand-in's files would be looked for wherever we happen to run.
    if (directory.empty()) {
        helperLog.error("No sim directory: set ORVANE_SIM_DIR, or HOME");
        return 1;
    }
    sim::SimKernelLimit kernel(directory);
    sim::SimPhysicalMemory memory(directory);
    HelperService service(kernel, memory, helperLog);
    RequestHandler handler(service, helperLog);

    sim::EventLoop loop;
    IdleExit idleExit(
        loop, [&loop](int status) { loop.stop(status); }, idleTimeout());
    sim::HelperServer server(loop, std::move(listener), handler, idleExit, helperLog);
    if (!server.start()) {
        helperLog.error("Serving the socket failed: %{public}s", {errnoText(errno)});
        return 1;
    }
    idleExit.scheduleExit();
    return loop.run();
}
