#include "app/cli/ApplicationCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>

namespace orvane::cli {
namespace {

using ::testing::HasSubstr;

// In the command line's process tests the application's executable answers for orvane, its output
// and exit status passed on; here are the ends that give no exit status of their own: a program
// missing, one that crashes, one that hangs, each a failure that says which and passes on nothing
// of what it printed.
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
        {"/bin/sh", {"-c", "echo '{\"changed\":true}'; exit 5"}, ""},
        {"", {"helper", "on"}, "Couldn't find Orvane's application"},
        {"/nowhere/Orvane", {"helper", "on"}, "Couldn't run /nowhere/Orvane: "},
        {"/bin/sh",
         {"-c", "echo '{'; kill -SEGV $$"},
         "/bin/sh ended abnormally while running '-c"},
        {"/bin/sleep", {"60"}, "/bin/sleep did not finish '60' within 0.3 seconds."},
    };
    for (const Case& c : cases) {
        const ApplicationCommand::Ending ending =
            ApplicationCommand(c.program, 0.3).run(c.arguments);
        EXPECT_EQ(ending.status, *c.says ? 3 : 5) << c.says;
        EXPECT_THAT(ending.problem.value_or("").toStdString(), HasSubstr(c.says));
        EXPECT_EQ(ending.output, *c.says ? "" : "{\"changed\":true}\n") << c.says;
    }
}

} // namespace
} // namespace orvane::cli
