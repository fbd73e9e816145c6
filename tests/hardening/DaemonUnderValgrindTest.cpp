// The daemon's whole life under Valgrind's memcheck: start, good and bad requests, idle exit.
// Only a build without sanitizers can run under Valgrind; .ci/run has a lane for it.

#include <cerrno>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "shared/WireFormat.h"
#include "tests/support/DaemonHarness.h"

namespace orvane::test {
namespace {

using ::testing::IsEmpty;

TEST(DaemonUnderValgrind, ServesAndExitsWithoutAMemoryError) {
#if ORVANE_DAEMON_INSTRUMENTED
    GTEST_SKIP() << "a daemon built with sanitizers cannot run under Valgrind";
#endif
    if (std::system("valgrind --version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "valgrind is not installed";
    }
    SimDir dir;
    TempDir bin;
    const std::string report = (bin / "valgrind.log").string();
    const pid_t pid =
        startDaemon(dir, 1.0,
                    daemonWrapper(bin, "",
                                  "valgrind -q --error-exitcode=99 --leak-check=full "
                                  "--errors-for-leak-kinds=definite,indirect --log-file=" +
                                      report));
    ASSERT_GT(pid, 0);

    RawClient client(dir.socketPath());
    ASSERT_TRUE(client.send(wire::encode({wire::Operation::protocolVersion, 0})));
    ASSERT_EQ(client.reply(wire::Operation::protocolVersion, 60s), 1)
        << "the daemon never started under Valgrind";
    EXPECT_EQ(client.setWiredLimit(12288), 0);
    EXPECT_EQ(client.setWiredLimit(1), EINVAL);
    RawClient rude(dir.socketPath());
    const std::uint8_t junk[5] = {'O', 'R', 'V', 'H', 9};
    ASSERT_TRUE(rude.send(junk));
    EXPECT_TRUE(rude.closedByPeer(30s));
    client.close();

    EXPECT_EQ(waitForExit(pid, 60s), 0) << bin.read("valgrind.log");
    ASSERT_TRUE(std::filesystem::exists(report)) << "the daemon did not run under Valgrind";
    EXPECT_THAT(bin.read("valgrind.log"), IsEmpty());
    EXPECT_EQ(dir.limit(), "12288\n");
}

} // namespace
} // namespace orvane::test
