#include "platform/sim/SimGpuWorkingSet.h"

#include "platform/sim/SimDirectory.h"
#include "shared/RangeRule.h"

namespace orvane::sim {

namespace {

constexpr std::uint64_t thirtyTwoGB = 32 * bytesPerGigabyte;

std::optional<long long> positiveNumber(const std::filesystem::path& path) {
    const auto text = readText(path);
    const auto number = text ? parseInteger(*text) : std::nullopt;
    return number && *number > 0 ? number : std::nullopt;
}

} // namespace

std::uint64_t SimGpuWorkingSet::defaultBytes(std::uint64_t physicalBytes) {
    // Divided first, so that no amount of memory overflows.
    if (physicalBytes <= thirtyTwoGB) {
        return physicalBytes / 3 * 2 + physicalBytes % 3 * 2 / 3;
    }
    return physicalBytes / 4 * 3 + physicalBytes % 4 * 3 / 4;
}

std::optional<std::uint64_t> SimGpuWorkingSet::recommendedBytes() {
    if (const auto bytes = positiveNumber(directory_ / gpuWorkingSetFileName)) {
        return static_cast<std::uint64_t>(*bytes);
    }
    // As Metal does: a limit that is set is the working set (in a process started after it).
    if (const auto limitMB = positiveNumber(directory_ / limitFileName);
        limitMB && static_cast<unsigned long long>(*limitMB) < (1ULL << 44)) {
        return static_cast<std::uint64_t>(*limitMB) * bytesPerMegabyte;
    }
    return defaultBytes(memory_.bytes());
}

} // namespace orvane::sim
