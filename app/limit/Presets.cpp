#include "app/limit/Presets.h"

#include <cmath>

#include "app/limit/LimitTexts.h"
#include "app/limit/Sizes.h"

namespace orvane {

namespace {

enum class Tier { from64, from32, above8, at8, none };

Tier tierOf(double totalGB) {
    if (totalGB >= 64.0) {
        return Tier::from64;
    }
    if (totalGB >= 32.0) {
        return Tier::from32;
    }
    if (totalGB > 8.0) {
        return Tier::above8;
    }
    if (totalGB <= 8.0 && std::trunc(totalGB) == 8.0) {
        return Tier::at8;
    }
    return Tier::none;
}

std::vector<double> rawOptions(double t) {
    switch (tierOf(t)) {
    case Tier::from64:
        return {0.0, t - 10.0, t - 8.0, t - 6.0, t - 4.0, t - 2.0};
    case Tier::from32:
        return {0.0, t - 10.0, t - 6.0, t - 4.0, t - 2.0};
    case Tier::above8:
        return {0.0, t - 6.0, t - 4.0, t - 2.0};
    case Tier::at8:
        return {0.0, 5.0, 6.0};
    case Tier::none:
        break;
    }
    return {};
}

} // namespace

std::vector<double> vramOptions(double totalGB) {
    std::vector<double> options;
    for (const double value : rawOptions(totalGB)) {
        if (value >= 0.0 && value < totalGB) {
            options.push_back(std::trunc(value));
        }
    }
    return options;
}

std::span<const std::string_view> funModeNames(double totalGB) {
    switch (tierOf(totalGB)) {
    case Tier::from64:
        return texts::funNamesFrom64;
    case Tier::from32:
        return texts::funNamesFrom32;
    case Tier::above8:
        return texts::funNamesAbove8;
    case Tier::at8:
        return texts::funNamesAt8;
    case Tier::none:
        break;
    }
    return {};
}

std::string optionLabel(double gb, std::size_t index, double totalGB, bool funMode) {
    if (gb == 0.0) {
        return std::string(texts::allocateDefault);
    }
    std::string label =
        std::string(texts::allocateBefore) + wholeText(gb) + std::string(texts::allocateAfter);
    if (!funMode) {
        return label;
    }
    const auto names = funModeNames(totalGB);
    label += texts::funNameSeparator;
    label += index < names.size() ? names[index] : texts::funNameFallback;
    return label;
}

} // namespace orvane
