#include "platform/sim/SimKernelLimit.h"

#include <cerrno>
#include <cstring>
#include <limits>

#include "platform/sim/SimDirectory.h"
#include "platform/sim/StandInFile.h"

namespace orvane::sim {

int SimKernelLimit::read(RawValue& value) {
    int error = 0;
    const auto text = readText(directory_ / limitFileName, &error);
    if (!text) {
        return error;
    }
    const auto number = parseInteger(*text);
    if (!number) {
        return EIO;
    }
    // Like the kernel, answer in 4 bytes while the value fits, else in 8.
    value = {};
    if (*number >= std::numeric_limits<std::int32_t>::min() &&
        *number <= std::numeric_limits<std::int32_t>::max()) {
        const auto narrow = static_cast<std::int32_t>(*number);
        std::memcpy(value.bytes.data(), &narrow, sizeof narrow);
        value.length = sizeof narrow;
    } else {
        const auto wide = static_cast<std::int64_t>(*number);
        std::memcpy(value.bytes.data(), &wide, sizeof wide);
        value.length = sizeof wide;
    }
    return 0;
}

int SimKernelLimit::write(std::int32_t megabytes) {
    const std::filesystem::path file = directory_ / limitFileName;
    // An absent variable stays absent; only a file that holds the variable is replaced.
    if (const int error = checkRegularFile(file); error != 0) {
        return error;
    }
    return replaceText(file, std::to_string(megabytes) + "\n");
}

} // namespace orvane::sim
