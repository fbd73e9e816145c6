#pragma once

#include <optional>
#include <string_view>

namespace orvane::cli {

// A size as the command line takes it: gigabytes ("24", "24.5", "24GB"), megabytes ("24576MB")
// or "default" for the system's own choice (0). The whole argument must be a finite number with
// at most its unit after it; anything else gives none.
std::optional<double> parseSizeGigabytes(std::string_view argument);

// True when the argument reads as a negative number, so that it is taken as a size and not as an
// option.
bool looksNegative(std::string_view argument);

} // namespace orvane::cli
