#include "app/fit/Verdict.h"

#include <algorithm>
#include <cmath>

#include "shared/RangeRule.h"

namespace orvane::fit {

namespace {

constexpr std::uint64_t bytesPerMB = std::uint64_t{1} << 20;
constexpr std::uint64_t bytesPerGB = std::uint64_t{1} << 30;
constexpr double minimumRequiredRAMGB = 8.0; // below it the popover offers no change

} // namespace

std::optional<std::uint64_t> workingSetBytes(std::optional<std::int64_t> limitMB,
                                             std::optional<std::uint64_t> recommendedBytes) {
    // A limit no machine could have is no limit to compare with.
    if (limitMB && *limitMB > 0 && *limitMB < (std::int64_t{1} << 40)) {
        return static_cast<std::uint64_t>(*limitMB) * bytesPerMB;
    }
    return recommendedBytes;
}

Judgement judge(std::uint64_t neededBytes, std::uint64_t workingSet, std::uint64_t physicalBytes) {
    Judgement judgement;
    const double totalGB = static_cast<double>(physicalBytes) / static_cast<double>(bytesPerGB);
    // Limits are suggested in whole gigabytes: the largest is the total less 2 GB, rounded down.
    const bool changeable = totalGB >= minimumRequiredRAMGB;
    const std::int64_t highestGB =
        changeable ? static_cast<std::int64_t>(std::floor(totalGB - 2.0)) : 0;
    const std::int64_t lowestGB = static_cast<std::int64_t>(std::ceil(totalGB * 0.5));
    judgement.mostBytes = std::max(
        workingSet, static_cast<std::uint64_t>(std::max<std::int64_t>(highestGB, 0)) * bytesPerGB);
    if (neededBytes <= workingSet) {
        return judgement;
    }
    if (!changeable || neededBytes > judgement.mostBytes) {
        judgement.verdict = Verdict::doesNotFit;
        judgement.shortByBytes = neededBytes - judgement.mostBytes;
        return judgement;
    }
    const std::int64_t needGB =
        static_cast<std::int64_t>((neededBytes + bytesPerGB - 1) / bytesPerGB);
    const std::int64_t suggested = std::max(needGB, lowestGB);
    // Within the rule by construction; asked all the same, since the rule is what a change obeys.
    if (!validatedMegabytes(static_cast<double>(suggested), totalGB)) {
        judgement.verdict = Verdict::doesNotFit;
        return judgement;
    }
    judgement.verdict = Verdict::fitsAfterChange;
    judgement.suggestedGB = suggested;
    judgement.leftToSystemGB = static_cast<std::int64_t>(totalGB) - suggested;
    return judgement;
}

} // namespace orvane::fit
