#include "platform/sim/SimGpuMemoryStats.h"

#include "platform/sim/SimDirectory.h"

namespace orvane::sim {

namespace {

std::optional<std::uint64_t> byteCount(const std::filesystem::path& path) {
    const auto text = readText(path);
    if (!text) {
        return std::nullopt;
    }
    const auto number = parseInteger(*text);
    if (!number || *number < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(*number);
}

} // namespace

GpuMemoryStats::Reading SimGpuMemoryStats::read() {
    return {byteCount(directory_ / gpuInUseFileName), byteCount(directory_ / gpuAllocatedFileName)};
}

} // namespace orvane::sim
