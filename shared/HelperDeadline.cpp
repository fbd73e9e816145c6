#include "shared/HelperDeadline.h"

#include <charconv>

namespace orvane {

std::string deadlineText(double seconds) {
    char digits[32] = {};
    const auto end = std::to_chars(digits, digits + sizeof digits - 1, seconds).ptr;
    std::string text(digits, end);
    return text + (seconds == 1.0 ? " second" : " seconds");
}

} // namespace orvane
