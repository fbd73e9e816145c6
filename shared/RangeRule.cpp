#include "shared/RangeRule.h"

#include <cmath>

namespace orvane {

double totalGigabytes(std::uint64_t physicalBytes) {
    return static_cast<double>(physicalBytes) / static_cast<double>(bytesPerGigabyte);
}

bool tooSmallForControls(double totalGigabytes) {
    // Written so that a total that is not a number is too small as well.
    return !(totalGigabytes >= minimumRequiredRAMGB);
}

double gigabytesOf(std::int64_t megabytes) {
    return static_cast<double>(megabytes) / megabytesPerGigabyte;
}

double lowestAllowedGigabytes(double totalGigabytes) {
    return totalGigabytes * 0.5;
}

double highestAllowedGigabytes(double totalGigabytes) {
    return totalGigabytes - 2.0;
}

std::optional<std::int64_t> validatedMegabytes(double gigabytes, double totalGigabytes) {
    if (gigabytes == 0.0) {
        return 0;
    }
    if (!std::isfinite(gigabytes) || !std::isfinite(totalGigabytes)) {
        return std::nullopt;
    }
    // Each bound is written as "unless it holds, refuse", so an unordered comparison refuses.
    if (!(lowestAllowedGigabytes(totalGigabytes) <= gigabytes)) {
        return std::nullopt;
    }
    if (!(gigabytes <= highestAllowedGigabytes(totalGigabytes))) {
        return std::nullopt;
    }
    const double megabytes = std::trunc(gigabytes * megabytesPerGigabyte);
    // A total larger than any real machine could otherwise push the conversion out of range.
    if (!(megabytes < 9223372036854775808.0)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(megabytes);
}

} // namespace orvane
