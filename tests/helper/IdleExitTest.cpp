#include "helper/IdleExit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vector>

#include "tests/support/FakeMainQueue.h"

namespace orvane {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The daemon's own tests see it exit when nobody connects after its start.
TEST(IdleExit, ExitsTenSecondsAfterTheLastCloseAndNeverCountsBelowZero) {
    test::FakeMainQueue queue;
    std::vector<double> exitTimes; // virtual times of the exits, each with status 0
    IdleExit idle{queue, [&](int status) {
                      EXPECT_EQ(status, 0);
                      exitTimes.push_back(queue.now());
                  }};
    idle.scheduleExit();
    queue.advance(6.0);
    idle.connectionClosed(); // without an open: stays at 0 and re-arms the full period
    queue.advance(9.0);
    idle.connectionOpened();
    idle.connectionOpened();
    queue.advance(30.0); // long requests keep the daemon alive
    idle.connectionClosed();
    EXPECT_FALSE(idle.exitPending()); // one is still open
    idle.connectionClosed();
    for (int i = 0; i < 3; ++i) {
        queue.advance(9.0);
        idle.connectionOpened();
        idle.connectionClosed();
    }
    EXPECT_EQ(queue.pendingTimers(), 1u);
    queue.advance(9.999);
    EXPECT_THAT(exitTimes, IsEmpty());
    queue.advance(0.001);
    EXPECT_THAT(exitTimes, ElementsAre(82.0));
    EXPECT_EQ(queue.pendingTimers(), 0u);
}

} // namespace
} // namespace orvane
