#include "app/fit/Verdict.h"

#include <algorithm>
#include <cmath>

#include "shared/RangeRule.h"

namespace orvane::fit {

std::optional<std::uint64_t> workingSetBytes(std::optional<std::int64_t> limitMB,
                                             std::optional<std::uint64_t> recommendedBytes) {
    // A limit no machine could have is no limit to compare with.
    if (limitMB && *limitMB > 0 && *limitMB < (std::int64_t{1} << 40)) {
        return static_cast<std::uint64_t>(*limitMB) * bytesPerMegabyte;
    }
    return recommendedBytes;
}

Judgement judge(std::uint64_t neededBytes, std::uint64_t workingSet, std::uint64_t physicalBytes) {
    Judgement judgement;
    const double totalGB = totalGigabytes(physicalBytes);
    // Limits are suggested in whole gigabytes: the largest is the highest the rule allows, rounded
    // down, the smallest the lowest, rounded up.
    const bool changeable = !tooSmallForControls(totalGB);
    const std::int64_t highestGB =
        changeable ? static_cast<std::int64_t>(std::floor(highestAllowedGigabytes(totalGB))) : 0;
    const std::int64_t lowestGB =
        static_cast<std::int64_t>(std::ceil(lowestAllowedGigabytes(totalGB)));
    judgement.mostBytes =
        std::max(workingSet, static_cast<std::uint64_t>(std::max<std::int64_t>(highestGB, 0)) *
                                 bytesPerGigabyte);
    if (neededBytes <= workingSet) {
        return judgement;
    }
    if (!changeable || neededBytes > judgement.mostBytes) {
        judgement.verdict = Verdict::doesNotFit;
        judgement.shortByBytes = neededBytes - judgement.mostBytes;
        return judgement;
    }
    const std::int64_t needGB =
        static_cast<std::int64_t>((neededBytes + bytesPerGigabyte - 1) / bytesPerGigabyte);
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
