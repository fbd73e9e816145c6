#include "app/cli/SizeArgument.h"

#include <gtest/gtest.h>

namespace orvane::cli {
namespace {

TEST(SizeArgument, ReadsGigabytesMegabytesAndDefault) {
    EXPECT_EQ(parseSizeGigabytes("24"), 24.0);
    EXPECT_EQ(parseSizeGigabytes("24.5"), 24.5);
    EXPECT_EQ(parseSizeGigabytes("24GB"), 24.0);
    EXPECT_EQ(parseSizeGigabytes("24gb"), 24.0);
    EXPECT_EQ(parseSizeGigabytes("24576MB"), 24.0);
    EXPECT_EQ(parseSizeGigabytes("100mb"), 100.0 / 1024.0);
    EXPECT_EQ(parseSizeGigabytes("default"), 0.0);
    EXPECT_EQ(parseSizeGigabytes("-5"), -5.0); // a number: the range rule refuses it later
}

TEST(SizeArgument, RefusesAnythingButAWholeFiniteNumber) {
    for (const char* bad : {"", "abc", "nan", "NaN", "inf", "-inf", "1e400", "24 ", " 24", "24G",
                            "24 GB", "GB", "MB", "0x18", "24.5.1", "24GBGB", "+24", "Default"}) {
        EXPECT_EQ(parseSizeGigabytes(bad), std::nullopt) << "'" << bad << "'";
    }
}

TEST(SizeArgument, TellsNegativeNumbersFromOptions) {
    EXPECT_TRUE(looksNegative("-5"));
    EXPECT_TRUE(looksNegative("-.5"));
    EXPECT_FALSE(looksNegative("-v"));
    EXPECT_FALSE(looksNegative("--no-password"));
    EXPECT_FALSE(looksNegative("-"));
}

} // namespace
} // namespace orvane::cli
