#include "app/cli/ApplicationCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>

namespace orvane::cli {
namespace {

using ::testing::HasSubstr;

// In the command line's process tests the application's executable answers for orvane, its output
// and exit status passed on; here are the ends that give no exit status of their own: a program
// missing, one that crashes, one that hangs, each a failure that says which.
TEST(ApplicationCommand, AnEndThatIsNotAnExitIsAFailureThatSaysWhich) {
    int argc = 1;
    char name[] = "orvane";
    char* argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv);
    struct Case {
        std::filesystem::path program;
        QStringList arguments;
        const char* says;
    };
    const Case cases[] = {
        {"/bin/sh", {"-c", "exit 5"}, ""},
        {"", {"helper", "on"}, "Couldn't find Orvane's application"},
        {"/nowhere/Orvane", {"helper", "on"}, "Couldn't run /nowhere/Orvane: "},
        {"/bin/sh", {"-c", "kill -SEGV $$"}, "/bin/sh ended abnormally while running '-c kill"},
        {"/bin/sleep", {"60"}, "/bin/sleep did not finish '60' within 0.3 seconds."},
    };
    for (const Case& c : cases) {
        QString said;
        QTextStream err(&said);
        const int status = ApplicationCommand(c.program, 0.3).run(c.arguments, err);
        EXPECT_EQ(status, *c.says ? 3 : 5) << c.says;
        EXPECT_THAT(said.toStdString(), HasSubstr(c.says));
    }
}

} // namespace
} // namespace orvane::cli
