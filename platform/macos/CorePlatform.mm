// The ports on a Mac that need nothing graphical: the system's own services that the command line
// uses, each built once on first use. The application adds its status item, login item and
// updater in AppPlatform.mm.

#include "platform/CorePlatform.h"

#include "platform/macos/AcceleratorMemoryStats.h"
#include "platform/macos/AppServiceManager.h"
#include "platform/macos/AppleScriptRunner.h"
#include "platform/macos/MainAppLoginItem.h"
#include "platform/macos/MainBundle.h"
#include "platform/macos/MetalWorkingSet.h"
#include "platform/macos/OsLog.h"
#include "platform/macos/ProcessInfoMemory.h"
#include "platform/macos/StandardUserDefaults.h"
#include "platform/macos/SysctlKernelLimit.h"
#include "platform/macos/XpcHelperTransport.h"
#include "platform/posix/PosixModelFiles.h"
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

GpuWorkingSet& gpuWorkingSet() {
    static macos::MetalWorkingSet workingSet;
    return workingSet;
}

ModelFiles& modelFiles() {
    static posix::PosixModelFiles files;
    return files;
}

HelperTransport& helperTransport() {
    static macos::XpcHelperTransport transport;
    return transport;
}

LoginItem& loginItem() {
    static macos::MainAppLoginItem item;
    return item;
}

Bundle& bundle() {
    static macos::MainBundle bundle;
    return bundle;
}

// The command line uses the same services as the application: System Settings opens for
// approval, the system shows its own password dialog, and the log goes to the unified log, never
// into the command's output. In orvane the service manager finds no daemon (its main bundle is
// not the application's); the command line wraps it and works around it.
CommandLinePorts commandLinePorts(bool) {
    static macos::AppServiceManager manager;
    static macos::AppleScriptRunner runner;
    return {manager, runner, systemLog()};
}

} // namespace orvane::platform
