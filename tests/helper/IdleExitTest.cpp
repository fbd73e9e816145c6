#include "helper/IdleExit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vector>

#include "tests/support/FakeMainQueue.h"

namespace orvane {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class IdleExitTest : public ::testing::Test {
protected:
    test::FakeMainQueue queue;
    std::vector<int> exits;        // statuses passed to exit
    std::vector<double> exitTimes; // virtual times of those exits
    IdleExit idle{queue, [this](int status) {
                      exits.push_back(status);
                      exitTimes.push_back(queue.now());
                  }};
};

TEST_F(IdleExitTest, ExitsWithStatusZeroTenSecondsAfterStartWithoutClients) {
    idle.scheduleExit();
    queue.advance(9.999);
    EXPECT_THAT(exits, IsEmpty());
    queue.advance(0.001);
    EXPECT_THAT(exits, ElementsAre(0));
    EXPECT_FALSE(idle.exitPending());
}

TEST_F(IdleExitTest, CountsEachIdlePeriodAfreshFromTheLastClose) {
    idle.scheduleExit();
    queue.advance(3.0);
    idle.connectionOpened();
    queue.advance(30.0); // a long request keeps the daemon alive
    idle.connectionClosed();
    for (int i = 0; i < 3; ++i) {
        queue.advance(9.0);
        idle.connectionOpened();
        idle.connectionClosed();
    }
    EXPECT_THAT(exits, IsEmpty());
    EXPECT_EQ(queue.pendingTimers(), 1u);
    queue.advance(10.0);
    EXPECT_THAT(exitTimes, ElementsAre(70.0));
}

TEST_F(IdleExitTest, OverlappingConnectionsAndAStrayCloseNeverCountBelowZero) {
    idle.scheduleExit();
    queue.advance(6.0);
    idle.connectionClosed(); // without an open: stays at 0 and re-arms the full period
    EXPECT_EQ(idle.openConnections(), 0);
    queue.advance(9.0);
    EXPECT_THAT(exits, IsEmpty());
    idle.connectionOpened();
    idle.connectionOpened();
    idle.connectionClosed();
    EXPECT_EQ(idle.openConnections(), 1);
    EXPECT_FALSE(idle.exitPending());
    queue.advance(15.0);
    idle.connectionClosed();
    EXPECT_TRUE(idle.exitPending());
    queue.advance(10.0);
    EXPECT_THAT(exitTimes, ElementsAre(40.0));
    EXPECT_EQ(queue.pendingTimers(), 0u);
}

} // namespace
} // namespace orvane
