#pragma once

#include "platform/ports/KernelLimit.h"

namespace orvane::macos {

// iogpu.wired_limit_mb through sysctlbyname. Reading needs no privilege; writing needs root,
// which only OrvaneHelper has.
class SysctlKernelLimit final : public KernelLimit {
public:
    int read(RawValue& value) override;
    int write(std::int32_t megabytes) override;
};

} // namespace orvane::macos
