#include "platform/macos/SysctlKernelLimit.h"

#include <cerrno>
#include <sys/sysctl.h>
#include <sys/types.h>

namespace orvane::macos {

namespace {

constexpr const char* limitName = "iogpu.wired_limit_mb";

// errno as the call left it; a failure that left none still must not read as success.
int lastError() {
    const int error = errno;
    return error != 0 ? error : EIO;
}

} // namespace

int SysctlKernelLimit::read(RawValue& value) {
    // Whether the kernel answers in 4 or 8 bytes is not settled, so offer room for 8 and hand the
    // reported length on: the model decides how to read it.
    RawValue answer;
    std::size_t length = answer.bytes.size();
    if (::sysctlbyname(limitName, answer.bytes.data(), &length, nullptr, 0) != 0) {
        return lastError();
    }
    answer.length = length;
    value = answer;
    return 0;
}

int SysctlKernelLimit::write(std::int32_t megabytes) {
    std::int32_t newValue = megabytes;
    if (::sysctlbyname(limitName, nullptr, nullptr, &newValue, sizeof newValue) != 0) {
        return lastError();
    }
    return 0;
}

} // namespace orvane::macos
