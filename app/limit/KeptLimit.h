#pragma once

#include <cstdint>
#include <optional>

#include "platform/ports/Defaults.h"
#include "platform/ports/KernelLimit.h"

// The limit kept for after a restart: the kernel forgets iogpu.wired_limit_mb at every restart,
// and Orvane sets it again at the next start (see KeptLimitRestore.h).
namespace orvane {

// Whether keeping is on ("keepLimitAfterRestart").
bool keepsLimitAfterRestart(Defaults& defaults);

// The limit to restore ("keptLimitMB"), or nothing.
std::optional<std::int64_t> keptLimitMB(Defaults& defaults);

// Whether "keptLimitMB" holds something that is not a whole number of megabytes (damaged, or
// edited by hand): a fault to report, where its absence means nothing is kept.
bool keptLimitCorrupt(Defaults& defaults);

// Every road calls this once its change is confirmed by reading the variable back: while keeping
// is on, the new limit is kept; the default (0) leaves nothing to restore. Returns whether what is
// stored changed; a value already stored is not written again.
bool recordConfirmedLimit(Defaults& defaults, std::int64_t megabytes);

// Turns keeping on or off. On keeps the limit in force when it is a custom one (a limit that
// cannot be read, or the default, leaves what is kept as it is); off forgets the kept limit.
// Launch at login, which restoring also needs, is the caller's to turn on. Returns whether what
// is stored changed; values already stored are not written again.
bool setKeepLimitAfterRestart(Defaults& defaults, KernelLimit& kernel, bool on);

} // namespace orvane
