#include "app/cli/SizeArgument.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#include <QTextStream>

#include "app/cli/CommandLine.h"
#include "tests/support/TempDir.h"

namespace orvane::cli {
namespace {

// The command line's process tests set a size in each form; these are the edges.
TEST(SizeArgument, ReadsOnlyAWholeFiniteNumberAndTellsNegativeNumbersFromOptions) {
    using Read = std::pair<const char*, double>;
    for (const auto& [text, value] :
         {Read{".5", 0.5}, Read{"5.", 5.0}, Read{"-0", 0.0}, Read{"00024.50", 24.5},
          Read{"1E1gb", 10.0}, Read{"1e+1", 10.0}, Read{"0e99999", 0.0}, Read{"4.9e-324", 4.9e-324},
          Read{"100mb", 100.0 / 1024.0}, Read{"1e-2MB", 0.01 / 1024.0}, Read{"40 GB", 40.0},
          Read{"1024 mb", 1.0}, Read{"DeFault", 0.0}}) {
        EXPECT_EQ(parseSizeGigabytes(text), value) << "'" << text << "'";
    }
    for (const char* bad :
         {"",       "abc", "nan",  "NaN",    "inf",      "-inf",  "1e400",  "2.4e-324", "1e-400",
          "24 ",    " 24", "24G",  "GB",     "MB",       "0x18",  "24.5.1", "24GBGB",   "+24",
          "Defaul", ".",   "-",    "-.",     "1e",       "1e+",   "e5",     "24,5",     "--5",
          "24  GB", " GB", "24 G", "24\tGB", " default", "24 GB "}) {
        EXPECT_EQ(parseSizeGigabytes(bad), std::nullopt) << "'" << bad << "'";
    }
    // The process tests give -5 after and before options; these are the edges.
    EXPECT_TRUE(looksNegative("-.5"));
    EXPECT_FALSE(looksNegative("-"));
}

// The application runs in the user's locale, where the decimal separator may be a comma; a size
// is always written with a point.
TEST(SizeArgument, ReadsThePointWhateverTheLocale) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const test::TempDir dir;
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
#if defined(__linux__)
        // A locale of our own whose only change is the comma, built where none is installed.
        dir.write("comma",
                  "LC_CTYPE\ncopy \"POSIX\"\nEND LC_CTYPE\nLC_NUMERIC\n"
                  "decimal_point \",\"\nthousands_sep \"\"\ngrouping -1\nEND LC_NUMERIC\n");
        const std::string build = "localedef -c -i " + (dir / "comma").string() +
                                  " -f ANSI_X3.4-1968 " + (dir / "xx_XX").string() +
                                  " >/dev/null 2>&1";
        [[maybe_unused]] const int built = std::system(build.c_str());
        ::setenv("LOCPATH", dir.path().c_str(), 1);
        std::setlocale(LC_NUMERIC, "xx_XX");
        ::unsetenv("LOCPATH");
#endif
    }
    if (std::strtod("24.5", nullptr) != 24.0) {
        std::setlocale(LC_NUMERIC, before.c_str());
        GTEST_SKIP() << "no locale with a decimal comma could be made";
    }
    EXPECT_EQ(parseSizeGigabytes("24.5"), 24.5);
    EXPECT_EQ(parseSizeGigabytes("24,5"), std::nullopt);
    std::setlocale(LC_NUMERIC, before.c_str());
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

// Help and usage errors touch no ports: they are answered before any is wired.
TEST(CommandLine, SaysWhatABareOrvaneDoesAnswersHelpAndSuggestsTheNearestCommand) {
    struct Run {
        int status;
        QString out;
        QString err;
    };
    const auto run = [](const QStringList& arguments) {
        Run result{};
        QTextStream out(&result.out);
        QTextStream err(&result.err);
        result.status = runCommandLine(
            QStringList{"orvane"} + arguments,
            [](const ContextNeeds&) -> CliContext& { std::abort(); }, out, err);
        err.flush();
        return result;
    };
    const Run bare = run({});
    EXPECT_EQ(bare.status, 2);
    EXPECT_TRUE(bare.err.contains("Without a command, orvane prints this help"))
        << bare.err.toStdString();
    EXPECT_TRUE(bare.err.contains("help [command]"));
    for (const QStringList& asked : {QStringList{"--help"}, {"help"}, {"help", "help"}}) {
        const Run help = run(asked);
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out, bare.err) << asked.join(' ').toStdString();
    }
    const Run setHelp = run({"help", "set"});
    EXPECT_EQ(setHelp.status, 0);
    EXPECT_TRUE(setHelp.out.startsWith("Usage: orvane set")) << setHelp.out.toStdString();
    EXPECT_EQ(setHelp.out, run({"set", "--help"}).out);
    EXPECT_EQ(run({"help", "set", "reset"}).status, 2);

    const QString near = "Unknown command '%1'. Did you mean '%2'? See 'orvane --help'.\n";
    const QString far = "Unknown command '%1'. See 'orvane --help'.\n";
    const char* const mistakes[][2] = {
        {"stauts", "status"}, {"Status", "status"},  {"sett", "set"},
        {"hepler", "helper"}, {"restor", "restore"}, {"wach", "watch"},
        {"kep", "keep"},      {"frobnicate", ""},    {"s", ""}};
    for (const auto& [typed, meant] : mistakes) {
        const QString expected = *meant ? near.arg(typed, meant) : far.arg(typed);
        for (const QStringList& arguments : {QStringList{typed}, QStringList{"help", typed}}) {
            const Run mistyped = run(arguments);
            EXPECT_EQ(mistyped.status, 2);
            EXPECT_EQ(mistyped.err.toStdString(), expected.toStdString());
        }
    }
}

} // namespace
} // namespace orvane::cli
