#include "app/limit/GpuMemoryFigures.h"

#include <cmath>

#include "app/limit/LimitTexts.h"
#include "app/limit/Sizes.h"
#include "shared/RangeRule.h"

namespace orvane {

std::string gigabytesOneDecimal(std::uint64_t bytes) {
    // In integers, so that no byte count overflows and no locale puts a comma in.
    std::uint64_t whole = bytes / bytesPerGigabyte;
    std::uint64_t tenths =
        ((bytes % bytesPerGigabyte) * 10 + bytesPerGigabyte / 2) / bytesPerGigabyte;
    if (tenths == 10) {
        ++whole;
        tenths = 0;
    }
    return std::to_string(whole) + '.' + std::to_string(tenths);
}

std::optional<std::int64_t> wholeMegabytes(std::optional<std::uint64_t> bytes) {
    if (!bytes) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*bytes / bytesPerMegabyte);
}

std::optional<std::int64_t> shareOfLimitPercent(std::optional<std::uint64_t> inUseBytes,
                                                double limitGB) {
    if (!inUseBytes || !(limitGB > 0.0) || std::isinf(limitGB)) {
        return std::nullopt;
    }
    const double limitBytes = limitGB * static_cast<double>(bytesPerGigabyte);
    // A hand-edited stored limit of a few bytes must not overflow the integer.
    return integerPart(std::round(static_cast<double>(*inUseBytes) * 100.0 / limitBytes));
}

std::optional<std::string> gpuInUseText(std::optional<std::uint64_t> inUseBytes) {
    if (!inUseBytes) {
        return std::nullopt;
    }
    std::string text(texts::gpuInUse);
    text += gigabytesOneDecimal(*inUseBytes);
    text += texts::gbUnit;
    return text;
}

std::optional<std::string> gpuMemoryToolTip(std::optional<std::uint64_t> inUseBytes,
                                            double limitGB) {
    std::optional<std::string> text = gpuInUseText(inUseBytes);
    if (!text) {
        return std::nullopt;
    }
    if (limitGB == 0.0) {
        *text += texts::gpuLimitSystemManaged;
    } else {
        *text += texts::gpuLimitBefore;
        *text += wholeText(limitGB);
        *text += texts::gpuLimitAfter;
    }
    return text;
}

} // namespace orvane
