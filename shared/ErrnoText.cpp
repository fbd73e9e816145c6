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
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 32))
    // English whatever the locale, as the Mac's C library gives it, so that a command needs no
    // locale set up to report in the same words.
    if (const char* text = ::strerrordesc_np(error)) {
        return text;
    }
    return "Unknown error " + std::to_string(error);
#else
    char buffer[256] = {};
    return pick(strerror_r(error, buffer, sizeof buffer), buffer);
#endif
}

} // namespace orvane
