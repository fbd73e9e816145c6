#pragma once

#include <cstdint>
#include <optional>

#include "platform/ports/Defaults.h"
#include "platform/ports/KernelLimit.h"
#include "shared/Logger.h"

namespace orvane {

// The limit in megabytes from the kernel's answer: 4 bytes are a signed 32-bit number, any other
// length a signed 64-bit one.
std::int64_t decodedLimitMB(const KernelLimit::RawValue& raw);

// One read of iogpu.wired_limit_mb, with no fallback and nothing stored: the limit in megabytes,
// or the errno of the failure. What a change is confirmed by, and what "orvane status" shows.
struct LimitReading {
    std::optional<std::int64_t> megabytes;
    int error = 0;
};
LimitReading readLimitMB(KernelLimit& kernel);

// The value kept under "lastKnownVRAMGB", or 0.0 without a usable one.
double storedVRAMGB(Defaults& defaults);

// Reads iogpu.wired_limit_mb once, in gigabytes, and keeps it under "lastKnownVRAMGB". When the
// read fails the failure is logged and the stored value stands in (0.0 without one).
double readVRAMGB(KernelLimit& kernel, Defaults& defaults, const Logger& vramLog);

// The same, telling whether the value came from the variable or stood in for a failed read.
struct VramReading {
    double gigabytes = 0.0;
    bool fromKernel = false;
};
VramReading readVRAM(KernelLimit& kernel, Defaults& defaults, const Logger& vramLog);

} // namespace orvane
