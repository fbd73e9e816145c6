#pragma once

#include <cstdint>
#include <optional>

namespace orvane {

// How much memory the GPU's driver recommends a process keep resident at most: Metal's
// recommendedMaxWorkingSetSize, which llama.cpp and MLX size models against. It follows
// iogpu.wired_limit_mb once that is set. None when the system does not say.
class GpuWorkingSet {
public:
    virtual ~GpuWorkingSet() = default;

    virtual std::optional<std::uint64_t> recommendedBytes() = 0;
};

} // namespace orvane
