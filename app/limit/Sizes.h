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

// The range rule's bounds as they are shown to a person or a script: whole megabytes, and
// gigabytes to two decimals, each rounded inwards so that every value shown is one the rule takes
// ("21.55", not "21.54025650024414").
struct ShownRange {
    std::int64_t lowestMB = 0;
    std::int64_t highestMB = 0;
    double lowestGB = 0.0;
    double highestGB = 0.0;
};
ShownRange shownRange(double totalGB);

} // namespace orvane
