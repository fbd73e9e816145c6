#include <cerrno>
#include <csignal>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "shared/WireFormat.h"
#include "tests/support/DaemonHarness.h"

namespace orvane::test {
namespace {

using ::testing::HasSubstr;

class HelperDaemonTest : public ::testing::Test {
protected:
    void SetUp() override {
        pid = startDaemon(dir);
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

TEST_F(HelperDaemonTest, AnswersTheVersionAndWritesAnAllowedLimit) {
    RawClient client(dir.socketPath());
    ASSERT_TRUE(client.connected());
    EXPECT_EQ(client.protocolVersion(), 1);
    EXPECT_EQ(client.setWiredLimit(12288), 0);
    EXPECT_EQ(dir.limit(), "12288\n");
    EXPECT_EQ(client.setWiredLimit(0), 0);
    EXPECT_EQ(dir.limit(), "0\n");
    EXPECT_THAT(dir.logText(),
                HasSubstr("info com.halvern.Orvane helper: Set wired limit to 12288 MB"));
}

TEST_F(HelperDaemonTest, RefusesAnOutOfRangeLimitAndLeavesTheVariableAlone) {
    dir.write("iogpu.wired_limit_mb", "10240\n");
    RawClient client(dir.socketPath());
    EXPECT_EQ(client.setWiredLimit(15 * 1024), EINVAL);
    EXPECT_EQ(client.setWiredLimit(4 * 1024), EINVAL);
    EXPECT_EQ(dir.limit(), "10240\n");
    EXPECT_THAT(dir.logText(),
                HasSubstr("error com.halvern.Orvane helper: Rejected wired limit 15360 MB"));
}

TEST_F(HelperDaemonTest, PassesOnTheErrnoOfAFailedWrite) {
    std::filesystem::remove(dir / "iogpu.wired_limit_mb");
    RawClient client(dir.socketPath());
    EXPECT_EQ(client.setWiredLimit(12288), ENOENT);
    EXPECT_THAT(dir.logText(), HasSubstr("Setting wired limit failed: No such file or directory"));
}

TEST_F(HelperDaemonTest, DropsOnlyTheConnectionThatSentABadPacket) {
    const wire::Packet good = wire::encode({wire::Operation::protocolVersion, 0});
    std::vector<std::vector<std::uint8_t>> badPackets;
    badPackets.emplace_back(good.begin(), good.end() - 1); // short
    badPackets.emplace_back(good.begin(), good.end());     // long
    badPackets.back().push_back(0);
    badPackets.emplace_back(good.begin(), good.end()); // wrong magic
    badPackets.back()[0] = 'X';
    badPackets.emplace_back(good.begin(), good.end()); // unknown operation
    badPackets.back()[4] = 9;
    badPackets.emplace_back(good.begin(), good.end()); // non-zero padding
    badPackets.back()[6] = 1;
    badPackets.emplace_back(); // empty

    RawClient bystander(dir.socketPath());
    for (const auto& bad : badPackets) {
        RawClient attacker(dir.socketPath());
        ASSERT_TRUE(attacker.send(bad));
        EXPECT_TRUE(attacker.closedByPeer()) << bad.size() << " bytes";
        EXPECT_EQ(bystander.protocolVersion(), 1);
    }
    EXPECT_EQ(bystander.setWiredLimit(8192), 0);
    EXPECT_EQ(dir.limit(), "8192\n");

    std::string log = dir.logText();
    std::size_t drops = 0;
    for (std::size_t at = 0; (at = log.find("malformed request", at)) != std::string::npos; ++at) {
        ++drops;
    }
    EXPECT_EQ(drops, badPackets.size() - 1); // an empty packet reads as a close
}

TEST_F(HelperDaemonTest, LeaksNoDescriptorAcrossManyConnections) {
    RawClient warmUp(dir.socketPath());
    ASSERT_EQ(warmUp.protocolVersion(), 1);
    warmUp.close();
    std::this_thread::sleep_for(100ms);
    const std::size_t before = openDescriptorCount(pid);

    for (int i = 0; i < 100; ++i) {
        RawClient client(dir.socketPath());
        if (i % 2 == 0) {
            EXPECT_EQ(client.setWiredLimit(9000 + i), 0);
        } else {
            const std::uint8_t junk[3] = {1, 2, 3};
            client.send(junk);
            EXPECT_TRUE(client.closedByPeer());
        }
    }
    RawClient last(dir.socketPath());
    EXPECT_EQ(last.protocolVersion(), 1);
    last.close();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(openDescriptorCount(pid), before);
}

TEST_F(HelperDaemonTest, RefusesAClientOfAnotherUserWithoutAReply) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to connect as another user";
    }
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    std::filesystem::permissions(dir.socketPath(), std::filesystem::perms::all);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            _exit(3);
        }
        RawClient stranger(dir.socketPath());
        const wire::Packet query = wire::encode({wire::Operation::protocolVersion, 0});
        const bool refused =
            stranger.connected() && stranger.send(query) && stranger.closedByPeer();
        _exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_THAT(dir.logText(), HasSubstr("Refused a client running as user 65534"));
    RawClient owner(dir.socketPath());
    EXPECT_EQ(owner.protocolVersion(), 1);
}

TEST(HelperDaemonIdleExit, ExitsWithStatusZeroWhenNobodyConnects) {
    SimDir dir;
    const pid_t pid = startDaemon(dir, 0.3);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(waitForExit(pid, 10s), 0);
}

TEST(HelperDaemonIdleExit, CountsTheIdlePeriodFromTheLastClose) {
    SimDir dir;
    const pid_t pid = startDaemon(dir, 0.5);
    ASSERT_GT(pid, 0);
    RawClient client(dir.socketPath());
    ASSERT_EQ(client.protocolVersion(), 1);
    std::this_thread::sleep_for(1200ms); // well past the idle period, with the client connected
    EXPECT_TRUE(isRunning(pid));
    EXPECT_EQ(client.setWiredLimit(8192), 0);
    client.close();
    EXPECT_EQ(waitForExit(pid, 10s), 0);
    EXPECT_EQ(dir.limit(), "8192\n");
}

} // namespace
} // namespace orvane::test
