#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "shared/ErrnoText.h"

namespace orvane {

// The kernel variable iogpu.wired_limit_mb, read and written the way sysctlbyname does it.
class KernelLimit {
public:
    // What a successful read delivers: the raw answer and its length. The kernel may answer in
    // 4 or 8 bytes; the reader decides how to interpret them.
    struct RawValue {
        std::array<std::uint8_t, 8> bytes{};
        std::size_t length = 0;
    };

    virtual ~KernelLimit() = default;

    // 0 on success, else the errno of the failure.
    virtual int read(RawValue& value) = 0;

    // Writes the new limit as a 4-byte integer. 0 on success, else the errno of the failure.
    virtual int write(std::int32_t megabytes) = 0;

    // Why a read or write failed with this errno, in words a person understands: the system's
    // text, unless the platform knows better what stands in the variable's place.
    virtual std::string describeFailure(int error) const { return errnoText(error); }
};

} // namespace orvane
