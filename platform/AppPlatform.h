#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ports/AdminRunner.h"
#include "platform/ports/Bundle.h"
#include "platform/ports/Defaults.h"
#include "platform/ports/GpuMemoryStats.h"
#include "platform/ports/HelperTransport.h"
#include "platform/ports/KernelLimit.h"
#include "platform/ports/Log.h"
#include "platform/ports/LoginItem.h"
#include "platform/ports/MainQueue.h"
#include "platform/ports/PhysicalMemory.h"
#include "platform/ports/ServiceManager.h"
#include "platform/ports/StatusItem.h"
#include "platform/ports/Updater.h"

// The application's process-wide implementations of the ports, one set per platform, each built
// once on first use. Main thread only, after the Qt application object exists, except systemLog().
namespace orvane::platform {

// Anything the platform needs before the first window: the sim directory on Linux. Returns why
// the application must not run on this machine's storage (a folder of another user's in place of
// ours), as a sentence, or nothing.
std::optional<std::string> prepareApplication();

MainQueue& mainQueue();
Log& systemLog();
Defaults& defaults();
KernelLimit& kernelLimit();
PhysicalMemory& physicalMemory();
GpuMemoryStats& gpuMemoryStats();
ServiceManager& serviceManager();
HelperTransport& helperTransport();
AdminRunner& adminRunner();
LoginItem& loginItem();
Bundle& bundle();

std::unique_ptr<StatusItem> makeStatusItem();
std::unique_ptr<Updater> makeUpdater();

// The ports as the command line uses them: no windows (on Linux the password is asked on the
// terminal, and approval in Login Items is explained instead of shown), and the log only when
// verbose wherever the log would land in the command's own output.
struct CommandLinePorts {
    ServiceManager& serviceManager;
    AdminRunner& adminRunner;
    Log& log;
};
CommandLinePorts commandLinePorts(bool verbose);

// No Dock icon and no menus (an accessory application); bring it to the front.
void makeAccessory();
void activateApplication();
void terminate();

} // namespace orvane::platform
