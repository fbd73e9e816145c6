#pragma once

#include <optional>
#include <string>

#include "platform/ports/AdminRunner.h"
#include "platform/ports/Bundle.h"
#include "platform/ports/Defaults.h"
#include "platform/ports/GpuMemoryStats.h"
#include "platform/ports/GpuWorkingSet.h"
#include "platform/ports/HelperTransport.h"
#include "platform/ports/KernelLimit.h"
#include "platform/ports/Log.h"
#include "platform/ports/LoginItem.h"
#include "platform/ports/MainQueue.h"
#include "platform/ports/ModelFiles.h"
#include "platform/ports/PhysicalMemory.h"
#include "platform/ports/ServiceManager.h"

// The process-wide ports that need nothing graphical, at most Qt Core: all that the command line
// uses, and the application's share of them (platform/AppPlatform.h adds the rest). One set per
// platform, each built once on first use. Main thread only, after the Qt application object
// exists, except systemLog().
namespace orvane::platform {

// Anything the platform needs before the ports are used: the sim directory on Linux. Returns why
// Orvane must not run on this machine's storage (a folder of another user's in place of ours), as
// a sentence, or nothing.
std::optional<std::string> prepareApplication();

MainQueue& mainQueue();
Log& systemLog();
Defaults& defaults();
KernelLimit& kernelLimit();
PhysicalMemory& physicalMemory();
GpuMemoryStats& gpuMemoryStats();
GpuWorkingSet& gpuWorkingSet();
// The files of a model that `orvane fit` reads: regular files only.
ModelFiles& modelFiles();
HelperTransport& helperTransport();
// Launch at login: keeping the limit turns it on, from the command line too.
LoginItem& loginItem();
// Orvane.app, also for a program of ours elsewhere in it.
Bundle& bundle();

// The ports as the command line uses them: no windows (on Linux the password is asked on the
// terminal, and approval in Login Items is explained instead of shown), and the log only when
// verbose wherever the log would land in the command's own output.
struct CommandLinePorts {
    ServiceManager& serviceManager;
    AdminRunner& adminRunner;
    Log& log;
};
CommandLinePorts commandLinePorts(bool verbose);

} // namespace orvane::platform
