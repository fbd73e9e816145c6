// The daemon under load: a crowd arriving at once, clients that never speak or never listen, and
// a daemon that runs out of descriptors.

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>
#include <thread>
#include <vector>

#include "shared/WireFormat.h"
#include "tests/support/DaemonHarness.h"

namespace orvane::test {
namespace {

using ::testing::HasSubstr;

using DaemonLoadTest = DaemonTest;

TEST_F(DaemonLoadTest, AThousandClientsAtOnceAreAllAnsweredAndLeaveNothingBehind) {
    constexpr int crowdSize = 1000;
    // Daemons started from here inherit our soft descriptor limit.
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur =
        std::max<rlim_t>(limit.rlim_cur, std::min<rlim_t>(limit.rlim_max, crowdSize + 200));
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur < crowdSize + 200) {
        GTEST_SKIP() << "the descriptor limit cannot be raised to hold " << crowdSize << " clients";
    }
    start(0.5);
    RawClient anchor(dir.socketPath()); // keeps the daemon from idling out while we count
    ASSERT_EQ(anchor.protocolVersion(), 1);
    const std::size_t before = openDescriptorCount(pid);

    // Every client connects and asks before any of them hears back.
    std::vector<std::unique_ptr<RawClient>> crowd;
    for (int i = 0; i < crowdSize; ++i) {
        crowd.push_back(std::make_unique<RawClient>(dir.socketPath()));
        ASSERT_TRUE(crowd.back()->send(wire::encode({wire::Operation::protocolVersion, 0}))) << i;
    }
    for (int i = 0; i < crowdSize; ++i) {
        ASSERT_EQ(crowd[i]->reply(wire::Operation::protocolVersion, 10s), 1) << i;
        const wire::Message set{wire::Operation::setWiredLimit, 8192 + i % 6145};
        ASSERT_TRUE(crowd[i]->send(wire::encode(set)));
    }
    for (int i = 0; i < crowdSize; ++i) {
        ASSERT_EQ(crowd[i]->reply(wire::Operation::setWiredLimit, 10s), 0) << i;
    }
    EXPECT_EQ(openDescriptorCount(pid), before + crowdSize);

    crowd.clear();
    EXPECT_TRUE(eventually([&] { return openDescriptorCount(pid) == before; }))
        << openDescriptorCount(pid) << " descriptors open, " << before << " before";
    EXPECT_THAT(dir.logText(), ::testing::Not(HasSubstr("error com.halvern.Orvane")));

    // The idle period only starts once the last client has gone.
    EXPECT_EQ(waitForExit(pid, 1s), std::nullopt);
    anchor.close();
    EXPECT_EQ(waitForExit(pid, 10s), 0);
}

TEST_F(DaemonLoadTest, ASilentClientAndAFloodingOneHoldNobodyElseUp) {
    start(0.3);
    RawClient silent(dir.socketPath());

    // A client that sends as fast as it can and never reads a reply.
    int sendError = 0;
    std::thread flooder([&] {
        RawClient flooding(dir.socketPath());
        for (int i = 0; i < 5000 && sendError == 0; ++i) {
            sendError =
                flooding.send(wire::encode({wire::Operation::setWiredLimit, 8192})) ? 0 : errno;
        }
    });
    for (int i = 0; i < 50; ++i) {
        RawClient client(dir.socketPath());
        ASSERT_EQ(client.protocolVersion(), 1) << i;
        ASSERT_EQ(client.setWiredLimit(9216 + i), 0) << i;
    }
    flooder.join();
    // Whether the flooder was cut off or had all its replies queued, it is gone now, and the
    // silent client, still waiting, keeps the daemon alive past its idle period.
    EXPECT_TRUE(sendError == 0 || sendError == EPIPE || sendError == ECONNRESET) << sendError;
    EXPECT_EQ(waitForExit(pid, 800ms), std::nullopt);
    EXPECT_EQ(silent.protocolVersion(), 1);
}

TEST_F(DaemonLoadTest, ADaemonOutOfDescriptorsServesTheRestOnceSomeClose) {
    TempDir bin;
    start(10.0, daemonWrapper(bin, "ulimit -n 24"));
    // Under UndefinedBehaviorSanitizer the first logged line checks the logger's type with a
    // pipe of its own, which this test would deny it: one line beforehand settles that.
    RawClient early(dir.socketPath());
    ASSERT_EQ(early.setWiredLimit(1), EINVAL);
    early.close();
    constexpr std::size_t clients = 60;
    std::vector<std::unique_ptr<RawClient>> waiting;
    for (std::size_t i = 0; i < clients; ++i) {
        waiting.push_back(std::make_unique<RawClient>(dir.socketPath()));
        ASSERT_TRUE(waiting.back()->send(wire::encode({wire::Operation::protocolVersion, 0})));
    }
    // Half a second without a free descriptor: the daemon tries to accept again every 0.1 s.
    std::this_thread::sleep_for(500ms);
    // Each answered client leaves, handing its descriptor to the next one waiting in the backlog,
    // which is accepted in the order it connected.
    for (std::size_t i = 0; i < clients; ++i) {
        ASSERT_EQ(waiting[i]->reply(wire::Operation::protocolVersion, 10s), 1) << i;
        waiting[i].reset();
    }
    // Said when it first happens, not every time accepting is tried again.
    const std::string log = dir.logText();
    const std::string line = "Accepting a connection failed: Too many open files";
    EXPECT_THAT(log, HasSubstr(line));
    EXPECT_EQ(log.find(line), log.rfind(line)) << log;
}

} // namespace
} // namespace orvane::test
