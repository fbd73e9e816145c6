#pragma once

#include <cstdint>
#include <optional>

namespace orvane::fit {

// The memory the GPU may use now: the limit when one is set (iogpu.wired_limit_mb above 0), else
// the GPU's recommended working set; none when neither is known.
std::optional<std::uint64_t> workingSetBytes(std::optional<std::int64_t> limitMB,
                                             std::optional<std::uint64_t> recommendedBytes);

enum class Verdict {
    fits,            // within the working set now
    fitsAfterChange, // within a limit the range rule allows
    doesNotFit,      // beyond anything this machine may give the GPU
};

struct Judgement {
    Verdict verdict = Verdict::fits;
    // The smallest whole-gigabyte limit the range rule allows that fits, after a change.
    std::optional<std::int64_t> suggestedGB;
    // What the suggested limit leaves the system, in whole gigabytes (as the popover counts).
    std::int64_t leftToSystemGB = 0;
    // The most the GPU may be given on this machine, and how far the need is beyond it.
    std::uint64_t mostBytes = 0;
    std::uint64_t shortByBytes = 0;
};

// Holds the need against the working set and, failing that, against the limits the range rule
// allows on a machine of this much memory. A machine below the 8 GB the controls need gets no
// change.
Judgement judge(std::uint64_t neededBytes, std::uint64_t workingSet, std::uint64_t physicalBytes);

} // namespace orvane::fit
