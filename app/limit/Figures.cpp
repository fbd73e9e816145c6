#include "app/limit/Figures.h"

#include <algorithm>
#include <cmath>

#include "app/limit/LimitTexts.h"
#include "app/limit/Sizes.h"

namespace orvane {

namespace {

std::string join(std::string_view before, const std::string& middle, std::string_view after) {
    std::string text(before);
    text += middle;
    text += after;
    return text;
}

} // namespace

std::int64_t reservedSystemRAMGB(double totalGB, double currentGB) {
    // Subtracting in floating point keeps a wild stored limit from overflowing an integer. A
    // figure of memory is never below zero: a negative limit counts as none, a limit above the
    // total leaves the system nothing.
    return integerPart(std::max(0.0, std::trunc(totalGB) - std::trunc(std::max(0.0, currentGB))));
}

std::string totalFigureText(double totalGB) {
    return join(texts::totalSystemRAM, wholeText(totalGB), texts::gbUnit);
}

std::string reservedFigureText(double totalGB, double currentGB) {
    if (currentGB == 0.0) {
        return join(texts::reservedSystemRAM, std::string(texts::systemManaged), "");
    }
    return join(texts::reservedSystemRAM, std::to_string(reservedSystemRAMGB(totalGB, currentGB)),
                texts::gbUnit);
}

std::string allocatedFigureText(double currentGB) {
    if (currentGB == 0.0) {
        return join(texts::allocatedVRAM, std::string(texts::systemManaged), "");
    }
    return join(texts::allocatedVRAM, wholeText(std::max(0.0, currentGB)), texts::gbUnit);
}

BarWidths barWidths(double totalGB, double currentGB) {
    BarWidths widths;
    if (totalGB > 0.0) {
        widths.reservedWidth = static_cast<double>(reservedSystemRAMGB(totalGB, currentGB)) *
                               widths.barWidth / totalGB;
    }
    widths.vramWidth = widths.barWidth - widths.reservedWidth;
    return widths;
}

std::string customAmountText(double customGB) {
    return join(texts::allocateBefore, wholeText(customGB), texts::allocateAfter);
}

std::string minimumMemoryText(double minimumGB) {
    return join(texts::minimumMemoryBefore, wholeText(minimumGB), texts::minimumMemoryAfter);
}

std::string outsideRangeText(std::int64_t wholeGB) {
    return join("", std::to_string(wholeGB), texts::outsideAllowedRange);
}

} // namespace orvane
