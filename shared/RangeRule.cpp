#include "shared/RangeRule.h"

#include <cmath>

namespace orvane {

std::optional<std::int64_t> validatedMegabytes(double gigabytes, double totalGigabytes) {
    if (gigabytes == 0.0) {
        return 0;
    }
    if (!std::isfinite(gigabytes) || !std::isfinite(totalGigabytes)) {
        return std::nullopt;
    }
    // Each bound is written as "unless it holds, refuse", so an unordered comparison refuses.
    if (!(totalGigabytes * 0.5 <= gigabytes)) {
        return std::nullopt;
    }
    if (!(gigabytes <= totalGigabytes - 2.0)) {
        return std::nullopt;
    }
    const double megabytes = std::trunc(gigabytes * 1024.0);
    // A total larger than any real machine could otherwise push the conversion out of range.
    if (!(megabytes < 9223372036854775808.0)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(megabytes);
}

} // namespace orvane
