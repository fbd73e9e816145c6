#pragma once

#include <cstdint>

#include "platform/ports/KernelLimit.h"
#include "platform/ports/PhysicalMemory.h"
#include "shared/Logger.h"

namespace orvane {

// The daemon's answer to each request of the helper protocol.
class HelperService {
public:
    HelperService(KernelLimit& kernel, PhysicalMemory& memory, Logger helperLog)
        : kernel_(kernel)
        , memory_(memory)
        , log_(helperLog) {}

    // Checks the request against the range rule and the machine's memory, then writes it.
    // Replies 0 on success, 22 (EINVAL) when the request is refused, else the write's errno.
    std::int32_t setWiredLimit(std::int64_t megabytes);

    // Always helperProtocolVersion.
    std::int64_t protocolVersion() const;

private:
    KernelLimit& kernel_;
    PhysicalMemory& memory_;
    Logger log_;
};

} // namespace orvane
