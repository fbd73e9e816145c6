#include "shared/RangeRule.h"

#include <gtest/gtest.h>
#include <limits>

namespace orvane {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

TEST(RangeRule, ZeroIsTheSystemDefaultAndWhatIsNotANumberIsRefused) {
    EXPECT_EQ(validatedMegabytes(0.0, 16.0), 0);
    EXPECT_EQ(validatedMegabytes(-0.0, 16.0), 0);
    EXPECT_EQ(validatedMegabytes(0.0, nan), 0);
    EXPECT_EQ(validatedMegabytes(0.0, 1.0), 0);
    EXPECT_EQ(validatedMegabytes(nan, 32.0), std::nullopt);
    EXPECT_EQ(validatedMegabytes(inf, 32.0), std::nullopt);
    EXPECT_EQ(validatedMegabytes(-inf, 32.0), std::nullopt);
    EXPECT_EQ(validatedMegabytes(20.0, nan), std::nullopt);
    EXPECT_EQ(validatedMegabytes(20.0, inf), std::nullopt);
}

TEST(RangeRule, BothBoundsAreInclusiveAndSmallMachinesLeaveAlmostNothing) {
    EXPECT_EQ(validatedMegabytes(16.0, 32.0), 16384);
    EXPECT_EQ(validatedMegabytes(30.0, 32.0), 30720);
    EXPECT_EQ(validatedMegabytes(15.999, 32.0), std::nullopt);
    EXPECT_EQ(validatedMegabytes(30.001, 32.0), std::nullopt);
    EXPECT_EQ(validatedMegabytes(-16.0, 32.0), std::nullopt);
    EXPECT_EQ(validatedMegabytes(2.0, 4.0), 2048);
    EXPECT_EQ(validatedMegabytes(2.5, 4.0), std::nullopt);
    EXPECT_EQ(validatedMegabytes(1.9, 4.0), std::nullopt);
    EXPECT_EQ(validatedMegabytes(1.5, 3.5), std::nullopt);
    EXPECT_EQ(validatedMegabytes(1.0, 2.0), std::nullopt);
}

TEST(RangeRule, TruncatesTowardZeroKeepsOddMegabytesAndRefusesOverflow) {
    EXPECT_EQ(validatedMegabytes(13.0, 16.0), 13312);
    EXPECT_EQ(validatedMegabytes(10000.0 / 1024.0, 16.0), 10000);
    EXPECT_EQ(validatedMegabytes(12.00099, 16.0), 12289); // 12289.01... truncated
    EXPECT_EQ(validatedMegabytes(14.5, 20.5), 14848);
    EXPECT_EQ(validatedMegabytes(1.0e300, 1.5e300), std::nullopt); // beyond 64 bits
}

} // namespace
} // namespace orvane
