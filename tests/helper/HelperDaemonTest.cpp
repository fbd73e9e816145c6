// The real daemon on a temporary sim directory, spoken to in raw packets: what it answers and what
// it refuses. The stand-in files it reads, and how they may be broken, are tested on their own.

#include <cerrno>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>
#include <unistd.h>

#include "tests/support/DaemonHarness.h"

namespace orvane::test {
namespace {

using ::testing::HasSubstr;
using HelperDaemonTest = DaemonTest;

// One walk: the answers, what is refused, and the descriptors of clients and starters.
TEST_F(HelperDaemonTest,
       WritesOnlyAnAllowedLimitAndDropsBadPacketsAndStrangersAndTheirDescriptors) {
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
    // A writer killed between creating its temporary file and renaming it leaves the file
    // behind; a later process with the same pid must still be able to write.
    dir.write(".iogpu.wired_limit_mb." + std::to_string(pid) + ".0", "9999\n");

    const wire::Packet good = wire::encode({wire::Operation::protocolVersion, 0});
    // What the socket hands over whole, and one that decodes to nothing; the rest of what the
    // decoder refuses is with its own tests.
    std::vector<std::vector<std::uint8_t>> badPackets(4, {good.begin(), good.end()});
    badPackets[0].pop_back();   // short
    badPackets[1].push_back(0); // long
    badPackets[2][4] = 9;       // unknown operation
    badPackets[3].clear();      // empty
    RawClient bystander(dir.socketPath());
    ASSERT_EQ(bystander.protocolVersion(), 1);
    // Its standard three, the listening socket, the event loop's epoll and wake-up descriptors,
    // and the bystander's connection.
    EXPECT_EQ(openDescriptorCount(pid), 7u);
    for (const auto& bad : badPackets) {
        RawClient attacker(dir.socketPath());
        ASSERT_TRUE(attacker.send(bad));
        EXPECT_TRUE(attacker.closedByPeer()) << bad.size() << " bytes";
        EXPECT_EQ(bystander.protocolVersion(), 1);
    }
    // The empty one too, though it reads like a close.
    const std::string log = dir.logText();
    const std::regex malformed("malformed request");
    EXPECT_EQ(std::distance(std::sregex_iterator(log.begin(), log.end(), malformed), {}), 4);

    if (::geteuid() == 0) { // only root may connect as another user
        std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
        std::filesystem::permissions(dir.socketPath(), std::filesystem::perms::all);
        ASSERT_EQ(::seteuid(65534), 0); // user nobody, so that the connection is nobody's
        RawClient stranger(dir.socketPath());
        ASSERT_EQ(::seteuid(0), 0);
        stranger.send(good); // it may find the connection closed already
        EXPECT_TRUE(stranger.closedByPeer());
        EXPECT_THAT(dir.logText(), HasSubstr("Refused a client running as user 65534"));
    }
    EXPECT_EQ(bystander.setWiredLimit(12288), 0);
    EXPECT_EQ(bystander.setWiredLimit(15 * 1024), EINVAL);
    EXPECT_EQ(dir.limit(), "12288\n");
    EXPECT_THAT(dir.logText(),
                HasSubstr("info com.halvern.Orvane helper: Set wired limit to 12288 MB"));
    EXPECT_THAT(dir.logText(),
                HasSubstr("error com.halvern.Orvane helper: Rejected wired limit 15360 MB"));
    EXPECT_TRUE(eventually([&] { return openDescriptorCount(pid) == 7u; }));
}

// Started for a client that never came, it still ends; started for one that came, it answered
// before ending (a daemon that ends at once without listening fails the second half).
TEST_F(HelperDaemonTest, ExitsWithStatusZeroOnceIdleWhetherOrNotAnyoneConnected) {
    start(0.3);
    EXPECT_EQ(waitForExit(pid, 10s), 0);
    start(0.3);
    EXPECT_EQ(RawClient(dir.socketPath()).protocolVersion(), 1);
    EXPECT_EQ(waitForExit(pid, 10s), 0);
}

} // namespace
} // namespace orvane::test
