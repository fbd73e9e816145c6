#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/helperlink/HelperManager.h"
#include "platform/ports/AdminRunner.h"
#include "platform/ports/Defaults.h"
#include "platform/ports/GpuMemoryStats.h"
#include "platform/ports/GpuWorkingSet.h"
#include "platform/ports/KernelLimit.h"
#include "platform/ports/Log.h"
#include "platform/ports/LoginItem.h"
#include "platform/ports/ModelFiles.h"
#include "platform/ports/PhysicalMemory.h"

namespace orvane::cli {

class ApplicationCommand;

// What the commands work with: the same ports as the popover, and a way to wait for the main
// queue to deliver a helper's answer.
struct CliContext {
    KernelLimit& kernel;
    PhysicalMemory& memory;
    GpuMemoryStats& gpuMemory;
    Defaults& defaults;
    HelperManager& helperManager;
    AdminRunner& adminRunner;
    LoginItem& loginItem; // the application's own, which keeping the limit turns on
    Log& log;
    // Serves the main queue until done() holds.
    std::function<void(const std::function<bool()>& done)> waitUntil;
    // Why these ports must not be used at all (storage that is not the user's own), if so.
    std::optional<std::string> refusal;
    // What "orvane fit" and "status" add: the GPU's working set, and a model's files.
    GpuWorkingSet& gpuWorkingSet;
    ModelFiles& modelFiles;
    // Where Orvane.app lies: only an installed one registers the helper.
    std::filesystem::path bundlePath{};
    // Null in the application's executable. In orvane, which the system's service management does
    // not answer, the application's executable carries out whatever registers, unregisters or
    // reads a registration; helperManager.state() there only says whether the helper answers.
    const ApplicationCommand* application = nullptr;
};

// The command's outcome, as its exit status says it.
enum class ExitStatus {
    done = 0,
    refused = 1,   // out of range, rejected by the helper, or the read-back differs
    usage = 2,     // the command line itself is wrong
    failed = 3,    // no road worked, or the script failed
    cancelled = 4, // the user cancelled the password dialog
    tooLarge = 5,  // "fit": the model needs more than this machine may give the GPU
};

} // namespace orvane::cli
