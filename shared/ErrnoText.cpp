#include "shared/ErrnoText.h"

#include <cstring>

namespace orvane {

namespace {

// strerror_r comes in two shapes: GNU returns the text, POSIX fills the buffer and returns 0.
[[maybe_unused]] const char* pick(const char* text, const char*) {
    return text;
}
[[maybe_unused]] const char* pick(int result, const char* buffer) {
    return result == 0 ? buffer : "Unknown error";
}

} // namespace

std::string errnoText(int error) {
    char buffer[256] = {};
    return pick(strerror_r(error, buffer, sizeof buffer), buffer);
}

} // namespace orvane
