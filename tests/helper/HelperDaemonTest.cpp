// The real daemon on a temporary sim directory, spoken to in raw packets: what it answers, what
// it refuses, and how it copes when the world around it misbehaves.

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/DaemonHarness.h"

namespace orvane::test {
namespace {

using ::testing::HasSubstr;
using HelperDaemonTest = DaemonTest;

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(HelperDaemonTest, AnswersTheVersionAndWritesOnlyAnAllowedLimit) {
    start();
    // A writer killed between creating its temporary file and renaming it leaves the file
    // behind; a later process with the same pid must still be able to write.
    dir.write(".iogpu.wired_limit_mb." + std::to_string(pid) + ".0", "9999\n");
    RawClient client(dir.socketPath());
    EXPECT_EQ(client.protocolVersion(), 1);
    EXPECT_EQ(client.setWiredLimit(12288), 0);
    EXPECT_EQ(dir.limit(), "12288\n");
    EXPECT_EQ(client.setWiredLimit(15 * 1024), EINVAL);
    EXPECT_EQ(client.setWiredLimit(4 * 1024), EINVAL);
    EXPECT_EQ(dir.limit(), "12288\n");
    EXPECT_EQ(client.setWiredLimit(0), 0);
    EXPECT_EQ(dir.limit(), "0\n");
    EXPECT_THAT(dir.logText(),
                HasSubstr("info com.halvern.Orvane helper: Set wired limit to 12288 MB"));
    EXPECT_THAT(dir.logText(),
                HasSubstr("error com.halvern.Orvane helper: Rejected wired limit 15360 MB"));
}

TEST_F(HelperDaemonTest, DropsOnlyTheConnectionThatSentABadPacketAndKeepsNoDescriptor) {
    start();
    const wire::Packet good = wire::encode({wire::Operation::protocolVersion, 0});
    std::vector<std::vector<std::uint8_t>> badPackets(6, {good.begin(), good.end()});
    badPackets[0].pop_back();   // short
    badPackets[1].push_back(0); // long
    badPackets[2][0] = 'X';     // wrong magic
    badPackets[3][4] = 9;       // unknown operation
    badPackets[4][6] = 1;       // non-zero padding
    badPackets[5].clear();      // empty

    RawClient bystander(dir.socketPath());
    ASSERT_EQ(bystander.protocolVersion(), 1);
    const std::size_t descriptors = openDescriptorCount(pid);
    for (const auto& bad : badPackets) {
        RawClient attacker(dir.socketPath());
        ASSERT_TRUE(attacker.send(bad));
        EXPECT_TRUE(attacker.closedByPeer()) << bad.size() << " bytes";
        EXPECT_EQ(bystander.protocolVersion(), 1);
    }
    EXPECT_EQ(bystander.setWiredLimit(8192), 0);
    EXPECT_EQ(dir.limit(), "8192\n");
    EXPECT_TRUE(eventually([&] { return openDescriptorCount(pid) == descriptors; }));

    // The empty one too, though it reads like a close.
    EXPECT_EQ(occurrences(dir.logText(), "malformed request"), badPackets.size());
}

TEST_F(HelperDaemonTest, RefusesAClientOfAnotherUserWithoutAReply) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to connect as another user";
    }
    start();
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    std::filesystem::permissions(dir.socketPath(), std::filesystem::perms::all);
    std::optional<RawClient> stranger;
    ASSERT_TRUE(asAnotherUser([&] { stranger.emplace(dir.socketPath()); }));
    ASSERT_TRUE(stranger->connected());
    EXPECT_TRUE(stranger->send(wire::encode({wire::Operation::protocolVersion, 0})));
    EXPECT_TRUE(stranger->closedByPeer());
    EXPECT_THAT(dir.logText(), HasSubstr("Refused a client running as user 65534"));
    RawClient owner(dir.socketPath());
    EXPECT_EQ(owner.protocolVersion(), 1);
}

TEST_F(HelperDaemonTest, ExitsWithStatusZeroWhenNobodyConnects) {
    start(0.3);
    EXPECT_EQ(waitForExit(pid, 10s), 0);
}

TEST_F(HelperDaemonTest, ASimDirectoryGoneOrReplacedGivesItsErrnoAndTheValueSurvives) {
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

TEST_F(HelperDaemonTest, AMemoryFileItCannotUseHoldsNothingUpAndIsLoggedOnce) {
    // A FIFO once stopped the daemon in its open for good; then a malformed file is said once.
    std::filesystem::remove(dir / "hw.memsize");
    ASSERT_EQ(::mkfifo((dir / "hw.memsize").c_str(), 0600), 0);
    start();
    RawClient client(dir.socketPath());
    for (const char* replacement : {"FIFO", "17179869184 \n", "+17179869184\n", "0\n"}) {
        if (std::string(replacement) != "FIFO") {
            std::filesystem::remove(dir / "hw.memsize");
            dir.write("hw.memsize", replacement);
        }
        EXPECT_EQ(client.setWiredLimit(0), 0) << replacement;
        EXPECT_EQ(client.setWiredLimit(0), 0) << replacement;
    }
    const std::string log = dir.logText();
    EXPECT_THAT(log, HasSubstr("hw.memsize: it is a FIFO, not a regular file"));
    // The FIFO, then any content that is not a positive number.
    EXPECT_EQ(occurrences(log, "Ignored"), 2u) << log;
}

TEST_F(HelperDaemonTest, KeepsNoneOfItsStartersDescriptors) {
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
