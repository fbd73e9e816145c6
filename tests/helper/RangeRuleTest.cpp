#include "shared/RangeRule.h"

#include <gtest/gtest.h>
#include <limits>
#include <tuple>

namespace orvane {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr std::optional<std::int64_t> no;

// Zero is the system default on any machine, and what is not a number is refused. Both bounds are
// inclusive and a small machine leaves almost nothing. Megabytes are truncated toward zero
// (12.00099 GB is 12289.01... MB; 12.000586 GB is 12288.6 MB, never rounded up to 12289), odd
// ones are kept, and an overflow is refused.
TEST(RangeRule, AllowsZeroAndFromHalfToTheTotalLessTwoBothInclusiveTruncatedToMegabytes) {
    // {requested GB, total GB, megabytes or no}
    const std::tuple<double, double, std::optional<std::int64_t>> cases[] = {
        {0.0, 16.0, 0},          {-0.0, 16.0, 0},          {0.0, nan, 0},
        {0.0, 1.0, 0},           {nan, 32.0, no},          {inf, 32.0, no},
        {-inf, 32.0, no},        {20.0, nan, no},          {20.0, inf, no},
        {16.0, 32.0, 16384},     {30.0, 32.0, 30720},      {15.999, 32.0, no},
        {30.001, 32.0, no},      {-16.0, 32.0, no},        {2.0, 4.0, 2048},
        {2.5, 4.0, no},          {12.000586, 16.0, 12288}, {1.5, 3.5, no},
        {1.0, 2.0, no},          {13.0, 16.0, 13312},      {10000.0 / 1024.0, 16.0, 10000},
        {12.00099, 16.0, 12289}, {14.5, 20.5, 14848},      {1.0e300, 1.5e300, no}};
    for (const auto& [gigabytes, total, megabytes] : cases) {
        EXPECT_EQ(validatedMegabytes(gigabytes, total), megabytes) << gigabytes << " of " << total;
    }
}

} // namespace
} // namespace orvane
