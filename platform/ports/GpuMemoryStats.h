#pragma once

#include <cstdint>
#include <optional>

namespace orvane {

// What the GPU's driver reports about the memory it holds, across all processes: the memory it
// has wired in use now, and the memory it has allocated. Either may be unknown (no such service,
// no such entry); an unknown figure is never reported as 0.
class GpuMemoryStats {
public:
    struct Reading {
        std::optional<std::uint64_t> inUseBytes;
        std::optional<std::uint64_t> allocatedBytes;

        friend bool operator==(const Reading&, const Reading&) = default;
    };

    virtual ~GpuMemoryStats() = default;

    // Reads the figures now; cheap enough to call once a second.
    virtual Reading read() = 0;
};

} // namespace orvane
