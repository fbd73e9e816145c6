#include "platform/sim/SimPhysicalMemory.h"

#include <cerrno>
#include <unistd.h>

#include "platform/sim/SimDirectory.h"
#include "platform/sim/StandInFile.h"
#include "shared/ErrnoText.h"

namespace orvane::sim {

namespace {

std::uint64_t machineMemory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

} // namespace

std::uint64_t SimPhysicalMemory::bytes() {
    const std::filesystem::path file = directory_ / memsizeFileName;
    int error = 0;
    const auto text = readText(file, &error);
    if (text) {
        if (const auto number = parseInteger(*text); number && *number > 0) {
            return static_cast<std::uint64_t>(*number);
        }
    }
    // No file means the machine's own memory; a file we cannot use is said once, not every time
    // the daemon checks a request against it.
    if (text || error != ENOENT) {
        const std::string problem =
            text ? "it does not hold a positive whole number of bytes" : errnoText(error);
        const std::lock_guard lock(mutex_);
        if (problem != reported_) {
            reported_ = problem;
            standInLog().error("Ignored %{public}s (%{public}s); using the machine's memory",
                               {file.string(), problem});
        }
    }
    return machineMemory();
}

} // namespace orvane::sim
