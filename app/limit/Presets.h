#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The preset allocations offered for a machine with totalGB of memory, in gigabytes, 0 (the
// system default) first.
std::vector<double> vramOptions(double totalGB);

// The fun-mode names of the machine's tier, one per raw preset; empty below 8 GB.
std::span<const std::string_view> funModeNames(double totalGB);

// The text of the preset row at position index, whose value is gb.
std::string optionLabel(double gb, std::size_t index, double totalGB, bool funMode);

} // namespace orvane
