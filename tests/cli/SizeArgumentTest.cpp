#include "app/cli/SizeArgument.h"

#include <gtest/gtest.h>

#include "app/cli/CommandLine.h"

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

// Qt's options and those a Mac passes at launch start the application; the command line's own
// words and options, and any other word, start the command line.
TEST(CommandLine, OnlyItsOwnWordsAndOptionsMakeTheCommandLine) {
    for (const char* first :
         {"status", "stauts", "-h", "-help", "--version", "-v", "--no-password", "--help=x"}) {
        EXPECT_TRUE(isCommandLine({"orvane", first, "x"})) << first;
    }
    for (const char* first : {"-platform", "-style=fusion", "-NSDocumentRevisionsDebugMode",
                              "-AppleLanguages", "-psn_0_12345", "-"}) {
        EXPECT_FALSE(isCommandLine({"Orvane", first, "x"})) << first;
    }
    EXPECT_FALSE(isCommandLine({"Orvane"}));
}

} // namespace
} // namespace orvane::cli
