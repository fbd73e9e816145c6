#pragma once

#include "platform/ports/GpuWorkingSet.h"

namespace orvane::macos {

// The system's default Metal device's recommendedMaxWorkingSetSize. Asked each time: the device is
// created once and kept, the figure read anew, since a limit set meanwhile may change it.
class MetalWorkingSet final : public GpuWorkingSet {
public:
    std::optional<std::uint64_t> recommendedBytes() override;
};

} // namespace orvane::macos
