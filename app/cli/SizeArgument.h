#pragma once

#include <optional>
#include <string_view>

namespace orvane::cli {

// A size as the command line takes it: gigabytes ("24", "24.5", "24GB", "24 GB" as status prints
// it), megabytes ("24576MB") or "default" for the system's own choice (0). Units and "default" in
// any case. The whole argument must be a finite number with at most its unit after it, one space
// apart at most; anything else gives none.
std::optional<double> parseSizeGigabytes(std::string_view argument);

// True when the argument reads as a negative number, so that it is taken as a size and not as an
// option.
bool looksNegative(std::string_view argument);

} // namespace orvane::cli
