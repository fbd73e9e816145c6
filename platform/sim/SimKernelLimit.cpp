#include "platform/sim/SimKernelLimit.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include "platform/sim/SimDirectory.h"
#include "platform/sim/StandInFile.h"
#include "shared/ErrnoText.h"

namespace orvane::sim {

namespace {

// A sim directory made by hand may lack the variable; say so once, with the way to create it.
int noteIfAbsent(int error, const std::filesystem::path& file) {
    static std::atomic_flag said = ATOMIC_FLAG_INIT;
    if (error == ENOENT && !said.test_and_set()) {
        std::fprintf(stderr,
                     "Orvane: the sim directory has no %s, so the stand-in has no limit variable "
                     "and every change fails with \"unknown oid\". To create it: echo 0 > '%s'\n",
                     limitFileName, file.c_str());
    }
    return error;
}

} // namespace

int SimKernelLimit::read(RawValue& value) {
    int error = 0;
    const auto text = readText(directory_ / limitFileName, &error);
    if (!text) {
        return noteIfAbsent(error, directory_ / limitFileName);
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
        return noteIfAbsent(error, file);
    }
    return replaceText(file, std::to_string(megabytes) + "\n");
}

std::string SimKernelLimit::describeFailure(int error) const {
    if (error == notARegularFile) {
        const std::filesystem::path file = directory_ / limitFileName;
        // What is there now; a regular file again by now leaves the plain text.
        const char* kind = unusualKind(file);
        if (kind != nullptr && std::string_view(kind).starts_with("a ")) {
            return file.string() + " is " + kind + ", not a regular file";
        }
    }
    return errnoText(error);
}

} // namespace orvane::sim
