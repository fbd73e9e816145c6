#include "platform/sim/SimPhysicalMemory.h"

#include <unistd.h>

#include "platform/sim/SimDirectory.h"

namespace orvane::sim {

std::uint64_t SimPhysicalMemory::bytes() {
    if (const auto text = readText(directory_ / memsizeFileName)) {
        if (const auto number = parseInteger(*text); number && *number > 0) {
            return static_cast<std::uint64_t>(*number);
        }
    }
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

} // namespace orvane::sim
