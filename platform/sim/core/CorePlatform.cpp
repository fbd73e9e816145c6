// The ports on Linux that need nothing graphical: the stand-in for each Mac service the command
// line uses, built once. The application adds its windows in platform/sim/shell.

#include "platform/CorePlatform.h"

#include <cstdio>

#include "platform/posix/PosixModelFiles.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/sim/DirectoryBundle.h"
#include "platform/sim/SimDirectory.h"
#include "platform/sim/SimGpuMemoryStats.h"
#include "platform/sim/SimGpuWorkingSet.h"
#include "platform/sim/SimKernelLimit.h"
#include "platform/sim/SimPhysicalMemory.h"
#include "platform/sim/StandInFile.h"
#include "platform/sim/StderrLog.h"
#include "platform/sim/UserFolders.h"
#include "platform/sim/core/TerminalPasswordPrompt.h"
#include "platform/sim/helperlink/SimHelperTransport.h"
#include "platform/sim/helperlink/SimServiceManager.h"
#include "platform/sim/limit/QtDefaults.h"
#include "platform/sim/limit/SimAdminRunner.h"
#include "platform/sim/limit/XdgLoginItem.h"
#include "shared/ErrnoText.h"

namespace orvane::platform {

std::optional<std::string> prepareApplication() {
    const std::filesystem::path directory = sim::simDirectory();
    if (directory.empty()) {
        return sim::noHomeProblem();
    }
    // The stand-in's files are trusted only in a folder of our own.
    if (auto problem = sim::foreignFolderProblem(directory)) {
        return problem;
    }
    if (const int error = sim::ensureSimDirectory(); error != 0) {
        std::fprintf(stderr, "Orvane: cannot prepare the sim directory %s: %s\n", directory.c_str(),
                     errnoText(error).c_str());
    }
    return sim::QtDefaults::locationProblem(sim::QtDefaults::standardFile());
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

GpuWorkingSet& gpuWorkingSet() {
    static sim::SimGpuWorkingSet workingSet(sim::simDirectory(), physicalMemory());
    return workingSet;
}

ModelFiles& modelFiles() {
    static posix::PosixModelFiles files;
    return files;
}

HelperTransport& helperTransport() {
    static sim::SimHelperTransport transport(sim::simDirectory(), sim::defaultHelperPath());
    return transport;
}

LoginItem& loginItem() {
    static sim::XdgLoginItem item;
    return item;
}

Bundle& bundle() {
    static sim::DirectoryBundle bundle(
        sim::DirectoryBundle::defaultResourceDirectory(),
        {{"CFBundleShortVersionString", ORVANE_VERSION}, {"CFBundleVersion", ORVANE_VERSION}},
        [] { return sim::DirectoryBundle::standInLocation(sim::simDirectory()); });
    return bundle;
}

namespace {

constexpr const char* noTerminalText =
    "No terminal to ask for the administrator password on; turn password-free changes on with "
    "'orvane helper on'.";

// Logs nothing: the command line's stderr is for its own sentences unless -v.
class SilentLog final : public Log {
public:
    void write(LogLevel, std::string_view, std::string_view) override {}
};

} // namespace

CommandLinePorts commandLinePorts(bool verbose) {
    static sim::SimServiceManager manager(sim::simDirectory(), sim::thisProcess(), [] {
        std::fprintf(stderr,
                     "To allow OrvaneHelper, open Orvane's Login Items window (Open System "
                     "Settings in the popover), or create %s.\n",
                     (sim::simDirectory() / sim::approvedFileName).c_str());
    });
    static sim::SimAdminRunner runner(
        sim::simDirectory(), [](const std::string& prompt) -> sim::SimAdminRunner::PasswordAnswer {
            switch (sim::askPasswordOnTerminal(prompt)) {
            case sim::TerminalAnswer::answered:
                return true;
            case sim::TerminalAnswer::cancelled:
                break;
            case sim::TerminalAnswer::noTerminal:
                return sim::SimAdminRunner::PasswordAnswer::failed(noTerminalText);
            }
            return false;
        });
    static SilentLog silent;
    Log& log = verbose ? systemLog() : silent;
    // What the stand-in says about files it refuses belongs to the command's log as well.
    sim::setStandInLog(Logger(log, "app"));
    return {manager, runner, log};
}

} // namespace orvane::platform
