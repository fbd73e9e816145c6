#include "app/cli/SizeArgument.h"

#include <gtest/gtest.h>

namespace orvane::cli {
namespace {

// Each accepted form is run through the command line's process tests; these are the edges.
TEST(SizeArgument, ReadsOnlyAWholeFiniteNumberAndTellsNegativeNumbersFromOptions) {
    EXPECT_EQ(parseSizeGigabytes("100mb"), 100.0 / 1024.0);
    for (const char* bad : {"", "abc", "nan", "NaN", "inf", "-inf", "1e400", "24 ", " 24", "24G",
                            "24 GB", "GB", "MB", "0x18", "24.5.1", "24GBGB", "+24", "Default"}) {
        EXPECT_EQ(parseSizeGigabytes(bad), std::nullopt) << "'" << bad << "'";
    }
    EXPECT_TRUE(looksNegative("-5"));
    EXPECT_TRUE(looksNegative("-.5"));
    EXPECT_FALSE(looksNegative("-v"));
    EXPECT_FALSE(looksNegative("--no-password"));
    EXPECT_FALSE(looksNegative("-"));
}

} // namespace
} // namespace orvane::cli
