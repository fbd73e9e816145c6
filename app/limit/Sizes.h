#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// The whole part of a size, truncated toward zero. Sizes can come from a stored value that someone
// edited by hand, so a value no integer can hold is clamped (and NaN gives 0) rather than cast.
std::int64_t integerPart(double value);

// integerPart in decimal, the form every figure and label uses.
std::string wholeText(double value);

// Whether a limit read back in gigabytes is the one sent in megabytes: gigabytes × 1024, rounded
// to the nearest integer with halves away from zero, must equal it.
bool sameMegabytes(std::int64_t megabytes, double gigabytes);

} // namespace orvane
