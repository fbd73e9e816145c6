#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/helperlink/HelperManager.h"
#include "platform/ports/Defaults.h"
#include "platform/ports/KernelLimit.h"
#include "platform/ports/Log.h"
#include "platform/ports/PhysicalMemory.h"

namespace orvane {

// What restoring needs. No AdminRunner: nothing may ask for a password while the user logs in,
// so the kept limit goes through the helper or not at all.
struct RestoreServices {
    HelperManager& helperManager;
    KernelLimit& kernel;
    PhysicalMemory& memory;
    Defaults& defaults;
    Log& log;
};

struct RestoreOutcome {
    enum class Kind {
        restored,     // sent through the helper and read back
        notKeeping,   // nothing to do: keeping is off
        nothingKept,  // nothing to do: no limit is kept
        keptCorrupt,  // what is kept is no limit at all
        alreadySet,   // nothing to do: the variable holds a limit chosen since the restart
        outsideRange, // the kept limit fails the range rule on this machine
        helperNotOn,  // password-free changes are off or wait for approval
        helperFailed, // the helper could not be reached, or failed
        limitNotRead, // the variable could not be read, before or after
        didNotChange, // the helper said yes, and the variable reads something else
    };
    Kind kind = Kind::notKeeping;
    std::int64_t megabytes = 0; // the kept limit; for alreadySet the limit in force
    std::string reason;         // one sentence, when the limit was not restored for a fault
};

// Nothing to do: the outcome of a start with nothing to restore.
bool nothingToRestore(RestoreOutcome::Kind kind);

// Sets the kept limit again after a restart. Only when keeping is on, a limit is kept and passes
// the range rule for this machine, and the variable reads 0 (nothing chosen since the restart),
// is the kept limit sent, through the helper only, and read back. A fault is logged in one line;
// a success in one line too. done runs once: at once when nothing is sent, else on the main
// queue once the helper has answered.
void restoreKeptLimit(RestoreServices services, std::function<void(const RestoreOutcome&)> done);

} // namespace orvane
