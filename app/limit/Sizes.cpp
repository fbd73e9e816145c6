#include "app/limit/Sizes.h"

#include <cmath>
#include <limits>

#include "shared/RangeRule.h"

namespace orvane {

namespace {

constexpr double twoTo63 = 9223372036854775808.0;

} // namespace

std::int64_t integerPart(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= twoTo63) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (value < -twoTo63) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(value);
}

std::string wholeText(double value) {
    return std::to_string(integerPart(value));
}

bool sameMegabytes(std::int64_t megabytes, double gigabytes) {
    const double rounded = std::round(gigabytes * 1024.0);
    // Outside the range of a 64-bit integer nothing can match, and the cast would be undefined.
    if (!(rounded >= -twoTo63 && rounded < twoTo63)) {
        return false;
    }
    return static_cast<std::int64_t>(rounded) == megabytes;
}

namespace {

// A bound in hundredths of a gigabyte, rounded inwards. The tolerance keeps a bound that is a
// round number in truth from moving a hundredth for the last bit of its arithmetic.
double hundredthsInward(double gigabytes, bool lower) {
    const double hundredths = gigabytes * 100.0;
    return (lower ? std::ceil(hundredths - 1e-6) : std::floor(hundredths + 1e-6)) / 100.0;
}

} // namespace

ShownRange shownRange(double totalGB) {
    const double lowest = lowestAllowedGigabytes(totalGB);
    const double highest = highestAllowedGigabytes(totalGB);
    return {
        integerPart(std::ceil(lowest * megabytesPerGigabyte)),
        integerPart(std::floor(highest * megabytesPerGigabyte)),
        hundredthsInward(lowest, true),
        hundredthsInward(highest, false),
    };
}

} // namespace orvane
