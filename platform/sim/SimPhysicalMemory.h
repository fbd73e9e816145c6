#pragma once

#include <filesystem>
#include <mutex>
#include <string>

#include "platform/ports/PhysicalMemory.h"

namespace orvane::sim {

// The file hw.memsize of the sim directory (decimal bytes) when it holds a positive number,
// else the machine's own memory. A file that is there but unusable is logged, once per problem.
class SimPhysicalMemory final : public PhysicalMemory {
public:
    explicit SimPhysicalMemory(std::filesystem::path directory)
        : directory_(std::move(directory)) {}

    std::uint64_t bytes() override;

private:
    std::filesystem::path directory_;
    std::mutex mutex_;
    std::string reported_; // the last problem logged
};

} // namespace orvane::sim
