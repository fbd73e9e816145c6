#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// The GPU's memory in use beside the limit, as the popover's bar and the command line show it.
// Byte counts come from the GpuMemoryStats port; none means unknown, and an unknown figure is
// shown as such, never as 0.

// Gigabytes (2^30 bytes) with one decimal, rounded half up: "12.4". Whatever the locale.
std::string gigabytesOneDecimal(std::uint64_t bytes);

// Whole megabytes (2^20 bytes), truncated; none when unknown.
std::optional<std::int64_t> wholeMegabytes(std::optional<std::uint64_t> bytes);

// In use as a share of the limit, in whole percent (rounded, never negative): none when in use is
// unknown or when there is no limit to compare with (system managed, or not a positive size).
std::optional<std::int64_t> shareOfLimitPercent(std::optional<std::uint64_t> inUseBytes,
                                                double limitGB);

// "GPU memory in use: 12.4 GB"; none when unknown.
std::optional<std::string> gpuInUseText(std::optional<std::uint64_t> inUseBytes);

// The memory bar's tooltip: the figure and the limit it counts against (whole gigabytes, like the
// popover's figures), or that the system manages the limit; none when in use is unknown.
std::optional<std::string> gpuMemoryToolTip(std::optional<std::uint64_t> inUseBytes,
                                            double limitGB);

} // namespace orvane
