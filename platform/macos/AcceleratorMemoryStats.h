#pragma once

#include "platform/ports/GpuMemoryStats.h"

namespace orvane::macos {

// The GPU's memory as its driver publishes it in the I/O Registry: the IOAccelerator service's
// "PerformanceStatistics" dictionary, entries "In use system memory" and "Alloc system memory"
// (byte counts). Public and unprivileged. Anything missing or of another type is unknown.
class AcceleratorMemoryStats final : public GpuMemoryStats {
public:
    Reading read() override;
};

} // namespace orvane::macos
