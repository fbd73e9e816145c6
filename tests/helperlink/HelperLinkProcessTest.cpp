// The application's side of the helper link against the real daemon in a temporary sim
// directory, started on demand, and against daemons that die, cannot start or speak another
// protocol, leftovers of earlier runs, and other applications racing it.

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <latch>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/helperlink/HelperManager.h"
#include "platform/sim/Seqpacket.h"
#include "platform/sim/helperlink/HelperExchange.h"
#include "platform/sim/helperlink/SimHelperTransport.h"
#include "platform/sim/helperlink/SimServiceManager.h"
#include "tests/support/DaemonHarness.h"
#include "tests/support/FakeLog.h"
#include "tests/support/FakeMainQueue.h"

namespace orvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using ::testing::StartsWith;
using SetResult = HelperManager::SetResult;

// One application's side of the helper link; it drains its main queue while it waits.
struct App {
    explicit App(const SimDir& dir, std::filesystem::path helper = ORVANE_HELPER_PATH,
                 std::vector<std::string> environment = {})
        : service(dir.path(), sim::Caller::application)
        , transport(dir.path(), std::move(helper), std::move(environment)) {}

    void start(std::int64_t megabytes) {
        manager.setLimit(megabytes, [this](SetResult outcome) { result = outcome; });
    }
    std::optional<SetResult> wait() {
        eventually(
            [this] {
                queue.drain();
                return result.has_value();
            },
            60s);
        return std::exchange(result, std::nullopt);
    }
    std::optional<SetResult> setLimit(std::int64_t megabytes) {
        start(megabytes);
        return wait();
    }

    sim::SimServiceManager service;
    sim::SimHelperTransport transport;
    FakeMainQueue queue;
    FakeLog log;
    HelperManager manager{service, transport, queue, log};
    std::optional<SetResult> result;
};

class HelperLinkProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::prctl(PR_SET_CHILD_SUBREAPER, 1); // so that started daemons become our children
        dir.write("helper.status", "1\n");
    }
    void TearDown() override { stopDaemons(); }
    void stopDaemons() {
        for (const pid_t pid : daemonsServing(dir)) {
            ::kill(pid, SIGKILL);
            waitForExit(pid, 5s);
        }
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }

    SimDir dir;
};

TEST_F(HelperLinkProcessTest, ADaemonNotEnabledIsNeverStartedAndOneThatCannotRunIsUnavailable) {
    TempDir bin;
    bin.write("not-executable", "#!/bin/sh\n");
    bin.write("garbage", "\x7f"
                         "ELF but not really");
    bin.write("quits", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(bin / "garbage", std::filesystem::perms::owner_all);
    std::filesystem::permissions(bin / "quits", std::filesystem::perms::owner_all);
    // {the registration's status, the daemon's executable}
    const std::pair<const char*, std::filesystem::path> cases[] = {
        {"0\n", ORVANE_HELPER_PATH}, {"2\n", ORVANE_HELPER_PATH},     {"3\n", ORVANE_HELPER_PATH},
        {"1\n", bin / "missing"},    {"1\n", bin / "not-executable"}, {"1\n", bin / "garbage"},
        {"1\n", bin / "quits"}};
    for (const auto& [status, helper] : cases) {
        dir.write("helper.status", status);
        App app(dir, helper);
        EXPECT_EQ(app.setLimit(12288), SetResult::unavailable) << status << helper;
        EXPECT_THAT(app.log.entries(),
                    ElementsAre(::testing::Field(&LogEntry::message,
                                                 StartsWith("Helper connection failed: "))))
            << status << helper;
        EXPECT_THAT(daemonsServing(dir), IsEmpty());
        if (*status != '1') {
            EXPECT_FALSE(std::filesystem::exists(dir.socketPath())) << status;
        }
    }
    EXPECT_EQ(dir.limit(), "0\n");
}

TEST_F(HelperLinkProcessTest, ADaemonKilledBeforeItAnswersIsReplacedAndTheChangeGoesThrough) {
    const pid_t stuck = startDaemon(dir);
    ASSERT_GT(stuck, 0);
    ::kill(stuck, SIGSTOP);
    App app(dir);
    app.start(12288);
    std::this_thread::sleep_for(300ms); // time to connect and ask for the version
    ::kill(stuck, SIGKILL);
    EXPECT_EQ(app.wait(), SetResult::success);
    EXPECT_EQ(dir.limit(), "12288\n");
    EXPECT_THAT(daemonsServing(dir), ElementsAre(::testing::Ne(stuck)));
}

TEST_F(HelperLinkProcessTest, ADaemonKilledAfterWritingButBeforeReplyingIsNoSuccess) {
    // The daemon logs the change after writing it and before replying: a full log pipe holds it
    // right there. Once the version is answered, an ended connection is not tried again.
    const std::string log = (dir / "daemon.log").string();
    ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
    const sim::UniqueFd reader(::open(log.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    const sim::UniqueFd filler(::open(log.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    const std::string block(4096, '.');
    while (::write(filler.get(), block.data(), block.size()) > 0) {
    }
    const pid_t daemon = startDaemon(dir);
    ASSERT_GT(daemon, 0);
    App app(dir);
    app.start(13312);
    ASSERT_TRUE(eventually([&] { return dir.limit() == "13312\n"; }));
    ::kill(daemon, SIGKILL);
    EXPECT_EQ(app.wait(), SetResult::unavailable);
    EXPECT_THAT(app.log.entries(),
                ElementsAre(error("helper", "Helper connection failed: The helper closed the "
                                            "connection before it replied.")));
}

TEST_F(HelperLinkProcessTest, LeftoversOfEarlierRunsDoNotStopTheNextStart) {
    TempDir elsewhere;
    elsewhere.write("big", std::string((1 << 20) + 1, '.'));
    const std::function<void()> leftovers[] = {
        [&] {
            int error = 0;
            sim::listenSeqpacket(dir.socketPath(), &error); // closed at once; the file stays
        },
        [&] { dir.write("helper.lock", ""); },
        // A log over 1 MB starts afresh, but through a link it would empty someone else's file.
        [&] {
            std::filesystem::remove(dir / "helper.log");
            std::filesystem::create_symlink(elsewhere / "big", dir / "helper.log");
        },
    };
    for (const auto& leave : leftovers) {
        leave();
        App app(dir);
        EXPECT_EQ(app.setLimit(12288), SetResult::success);
        EXPECT_THAT(daemonsServing(dir), SizeIs(1));
        stopDaemons();
        std::filesystem::remove(dir.socketPath());
    }
    EXPECT_EQ(std::filesystem::file_size(elsewhere / "big"), (1u << 20) + 1);
    // What is not a socket is not ours to clear away: it is reported and left in place.
    dir.write("com.halvern.Orvane.helper.sock", "someone's file");
    App app(dir);
    EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
    EXPECT_THAT(app.log.entries(),
                ElementsAre(::testing::Field(
                    &LogEntry::message,
                    ::testing::HasSubstr("helper.sock is not a socket, so it was left in place"))));
    EXPECT_EQ(dir.read("com.halvern.Orvane.helper.sock"), "someone's file");
}

TEST_F(HelperLinkProcessTest, RacingApplicationProcessesShareOneDaemonAndAreEachAnswered) {
    // The test takes the lock for starting the daemon first: both applications wait behind it,
    // then race each other for it.
    const sim::UniqueFd lock(::open((dir / "helper.lock").c_str(), O_RDWR | O_CREAT, 0600));
    ASSERT_EQ(::flock(lock.get(), LOCK_EX), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < 2; ++i) {
        if (const pid_t child = ::fork(); child == 0) {
            App app(dir);
            _exit(app.setLimit(8192 + 1024 * i) == SetResult::success ? 0 : 1);
        } else {
            children.push_back(child);
        }
    }
    std::this_thread::sleep_for(300ms);
    EXPECT_THAT(daemonsServing(dir), IsEmpty()) << "started without the lock";
    ASSERT_EQ(::flock(lock.get(), LOCK_UN), 0);
    for (const pid_t child : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_THAT(daemonsServing(dir), SizeIs(1));
    EXPECT_THAT(dir.limit(), ::testing::AnyOf("8192\n", "9216\n"));
}

TEST_F(HelperLinkProcessTest, StartsTheDaemonOnDemandAndRequestsMeetingItsIdleExitAreNeverLost) {
    App app(dir, ORVANE_HELPER_PATH, {"ORVANE_HELPER_IDLE_TIMEOUT=0.3"});
    ASSERT_EQ(app.setLimit(12288), SetResult::success);
    EXPECT_EQ(dir.limit(), "12288\n");
    EXPECT_EQ(app.setLimit(4096), SetResult::rejected);
    const auto first = daemonsServing(dir);
    ASSERT_THAT(first, SizeIs(1));
    EXPECT_EQ(waitForExit(first[0], 10s), 0);
    // With an idle period of two milliseconds, requests keep meeting a daemon on its way out.
    App racing(dir, ORVANE_HELPER_PATH, {"ORVANE_HELPER_IDLE_TIMEOUT=0.002"});
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(racing.setLimit(8192 + i), SetResult::success) << i;
        ASSERT_EQ(dir.limit(), std::to_string(8192 + i) + "\n");
    }
    EXPECT_THAT(racing.log.entries(), IsEmpty());
}

TEST_F(HelperLinkProcessTest, ADaemonOfAnotherUserIsRefused) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to listen as another user";
    }
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    int problem = 0;
    ASSERT_EQ(::seteuid(65534), 0); // user nobody, so that the socket is nobody's
    const sim::UniqueFd stranger = sim::listenSeqpacket(dir.socketPath(), &problem);
    ASSERT_EQ(::seteuid(0), 0);
    ASSERT_TRUE(stranger) << problem;
    App app(dir);
    EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
    EXPECT_THAT(app.log.entries(),
                ElementsAre(error("helper", "Helper connection failed: The helper runs as another "
                                            "user, so the connection was refused.")));
}

// The exchange alone, with the connection's making in the test's hands.
struct SocketSlotDouble final : sim::HelperExchange::SocketSlot {
    bool publish(int) override { return true; }
    void withdraw() override {}
    bool cancelled() override { return false; }
};

// A daemon closed before any reply, while nothing but the version was asked, is tried again
// with the real daemon above; one that refuses the connection right after its start is here.
TEST_F(HelperLinkProcessTest, ADaemonThatRefusesAsItIsReachedIsTriedAFewTimesMore) {
    const std::string refused = "Could not connect to the helper: Connection refused.";
    for (const int refusals : {3, 4}) {
        const DoubleServer daemon(dir, [](const wire::Message&) { return 1; });
        int connects = 0;
        SocketSlotDouble slot;
        sim::HelperExchange exchange({}, slot, [&](const sim::HelperSite&, const auto&) {
            int error = 0;
            return ++connects <= refusals
                       ? sim::HelperSocket{{}, refused, true, false}
                       : sim::HelperSocket{sim::connectSeqpacket(dir.socketPath(), &error), "",
                                           false, false};
        });
        const auto outcome = exchange.exchange({wire::Operation::protocolVersion, 0});
        // The attempts are bounded: the fourth refusal is the answer.
        EXPECT_EQ(outcome.problem, refusals == 3 ? "" : refused);
        EXPECT_EQ(outcome.value, refusals == 3 ? std::optional<std::int64_t>(1) : std::nullopt);
        EXPECT_EQ(connects, 4);
    }
}

TEST_F(HelperLinkProcessTest, InvalidatingAWaitingConnectionUnblocksAndSilencesIt) {
    std::latch asked(1);
    std::latch released(1);
    DoubleServer server(dir, [&](const wire::Message&) {
        asked.count_down();
        released.wait();
        return std::nullopt;
    });
    sim::SimHelperTransport transport(dir.path(), ORVANE_HELPER_PATH);
    const auto connection = transport.connect();
    const auto token = std::make_shared<std::atomic<int>>(0); // held by the handlers
    connection->openProxy([token](const std::string&) { ++*token; });
    connection->protocolVersion([token](std::int64_t) { ++*token; });
    asked.wait();
    connection->invalidate();
    EXPECT_TRUE(eventually([&] { return token.use_count() == 1; }))
        << "the waiting worker still holds its handlers";
    released.count_down();
    EXPECT_EQ(*token, 0);
}

} // namespace
} // namespace orvane::test
