#pragma once

#include <filesystem>

#include "platform/ports/GpuWorkingSet.h"
#include "platform/ports/PhysicalMemory.h"

namespace orvane::sim {

// The GPU's recommended working set as a Mac reports it: the file gpu.recommended_working_set of
// the sim directory (decimal bytes) when it holds a positive number; else the limit variable when
// it is set; else the default Metal was observed to give with the variable at 0 (macOS 14 and 15):
// two thirds of the memory up to 32 GB, three quarters above.
class SimGpuWorkingSet final : public GpuWorkingSet {
public:
    SimGpuWorkingSet(std::filesystem::path directory, PhysicalMemory& memory)
        : directory_(std::move(directory))
        , memory_(memory) {}

    std::optional<std::uint64_t> recommendedBytes() override;

    // The default alone, for a machine of this much memory.
    static std::uint64_t defaultBytes(std::uint64_t physicalBytes);

private:
    std::filesystem::path directory_;
    PhysicalMemory& memory_;
};

} // namespace orvane::sim
