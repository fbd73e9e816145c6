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
    const QStringList application[] = {
        {"Orvane"},
        {"Orvane", "-platform", "offscreen"},
        {"Orvane", "-style=fusion"},
        {"Orvane", "-NSDocumentRevisionsDebugMode", "YES"},
        {"Orvane", "-AppleLanguages", "(en)"},
        {"Orvane", "-psn_0_12345"},
    };
    for (const QStringList& arguments : application) {
        EXPECT_FALSE(isCommandLine(arguments)) << arguments.join(' ').toStdString();
    }
    const QStringList commandLine[] = {
        {"orvane", "status"},    {"orvane", "set", "24"},     {"orvane", "stauts"},
        {"orvane", "-h"},        {"orvane", "--help"},        {"orvane", "-help"},
        {"orvane", "--version"}, {"orvane", "-v", "status"},  {"orvane", "--verbose"},
        {"orvane", "--json"},    {"orvane", "--no-password"}, {"orvane", "--help=x"},
    };
    for (const QStringList& arguments : commandLine) {
        EXPECT_TRUE(isCommandLine(arguments)) << arguments.join(' ').toStdString();
    }
}

} // namespace
} // namespace orvane::cli
