#pragma once

#include "platform/ports/PhysicalMemory.h"

namespace orvane::macos {

class ProcessInfoMemory final : public PhysicalMemory {
public:
    std::uint64_t bytes() override;
};

} // namespace orvane::macos
