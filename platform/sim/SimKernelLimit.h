#pragma once

#include <filesystem>

#include "platform/ports/KernelLimit.h"

namespace orvane::sim {

// iogpu.wired_limit_mb as the file of that name in the sim directory. An absent file is an absent
// variable: reading and writing fail with ENOENT, as sysctlbyname does for an unknown name.
class SimKernelLimit final : public KernelLimit {
public:
    explicit SimKernelLimit(std::filesystem::path directory) : directory_(std::move(directory)) {}

    int read(RawValue& value) override;
    int write(std::int32_t megabytes) override;
    // A symbolic link, FIFO or device in the variable's place is named, not "Input/output error".
    std::string describeFailure(int error) const override;

private:
    std::filesystem::path directory_;
};

} // namespace orvane::sim
