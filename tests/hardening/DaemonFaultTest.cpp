// The daemon when the world around it misbehaves: writes that fail, leftovers of a writer that
// was killed, and whatever the process that started it happened to hold open.

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/hardening/Hardening.h"

namespace orvane::test {
namespace {

using ::testing::HasSubstr;

class DaemonFaultTest : public ::testing::Test {
protected:
    void start(const std::filesystem::path& executable = ORVANE_HELPER_PATH) {
        pid = startDaemon(dir, 10.0, executable);
        ASSERT_GT(pid, 0);
    }
    void TearDown() override {
        if (pid > 0 && isRunning(pid)) {
            ::kill(pid, SIGKILL);
            waitForExit(pid, 5s);
        }
    }

    SimDir dir;
    pid_t pid = -1;
};

TEST_F(DaemonFaultTest, AWriteBeyondTheFileSizeLimitRepliesEFBIGInsteadOfKillingTheDaemon) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer's runtime writes a file of its own before main";
#endif
    TempDir bin;
    dir.write("iogpu.wired_limit_mb", "10240\n");
    start(daemonWrapper(bin, "ulimit -f 0"));
    RawClient client(dir.socketPath());
    EXPECT_EQ(client.setWiredLimit(12288), EFBIG);
    EXPECT_EQ(dir.limit(), "10240\n");
    EXPECT_EQ(client.protocolVersion(), 1);
}

TEST_F(DaemonFaultTest, ASimDirectoryGoneOrReplacedGivesItsErrnoAndTheValueSurvives) {
    start();
    dir.write("iogpu.wired_limit_mb", "10240\n");
    RawClient client(dir.socketPath());
    ASSERT_EQ(client.protocolVersion(), 1);
    const std::filesystem::path aside = dir.path().string() + ".aside";
    for (const auto& [replacement, error] : {std::pair{"nothing", ENOENT}, {"a file", ENOTDIR}}) {
        std::filesystem::rename(dir.path(), aside);
        if (std::string(replacement) == "a file") {
            std::ofstream(dir.path()) << "not a directory\n";
        }
        EXPECT_EQ(client.setWiredLimit(12288), error) << replacement;
        std::filesystem::remove(dir.path());
        std::filesystem::rename(aside, dir.path());
        EXPECT_EQ(dir.limit(), "10240\n") << replacement;
    }
    EXPECT_THAT(dir.logText(), HasSubstr("Setting wired limit failed: Not a directory"));
}

TEST_F(DaemonFaultTest, ATemporaryFileLeftByAKilledWriterIsNoObstacle) {
    start();
    // A writer killed between creating its temporary file and renaming it leaves the file
    // behind; a later process with the same pid must still be able to write.
    dir.write(".iogpu.wired_limit_mb." + std::to_string(pid) + ".0", "9999\n");
    RawClient client(dir.socketPath());
    EXPECT_EQ(client.setWiredLimit(12288), 0);
    EXPECT_EQ(dir.limit(), "12288\n");
}

TEST_F(DaemonFaultTest, TheDaemonKeepsNoneOfItsStartersDescriptors) {
    // What a shell's $(...) or a pipeline hands its command: a pipe that must close when the
    // command is done, not when a daemon it started happens to exit.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const sim::UniqueFd readEnd(pipeFds[0]);
    sim::UniqueFd writeEnd(pipeFds[1]);
    start();
    writeEnd.reset();
    ASSERT_EQ(::fcntl(readEnd.get(), F_SETFL, O_NONBLOCK), 0);
    char byte = 0;
    EXPECT_EQ(::read(readEnd.get(), &byte, 1), 0) << "the daemon holds the starter's pipe";

    // Its standard three, the listening socket, the event loop's epoll and wake-up descriptors.
    RawClient client(dir.socketPath());
    ASSERT_EQ(client.protocolVersion(), 1);
    EXPECT_EQ(openDescriptorCount(pid), 7u);
}

} // namespace
} // namespace orvane::test
