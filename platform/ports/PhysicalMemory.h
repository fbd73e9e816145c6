#pragma once

#include <cstdint>

namespace orvane {

// The machine's physical memory, as NSProcessInfo reports it.
class PhysicalMemory {
public:
    virtual ~PhysicalMemory() = default;
    virtual std::uint64_t bytes() = 0;
};

} // namespace orvane
