#pragma once

#include <filesystem>

#include "platform/ports/GpuMemoryStats.h"

namespace orvane::sim {

// The files gpu.in_use_system_memory and gpu.alloc_system_memory of the sim directory, each a
// decimal byte count. A file that is absent, unreadable or holds anything but a whole number of
// zero or more bytes leaves its figure unknown.
class SimGpuMemoryStats final : public GpuMemoryStats {
public:
    explicit SimGpuMemoryStats(std::filesystem::path directory)
        : directory_(std::move(directory)) {}

    Reading read() override;

private:
    std::filesystem::path directory_;
};

} // namespace orvane::sim
