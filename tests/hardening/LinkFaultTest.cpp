// The application's side of the helper link against a real daemon that dies, fails or cannot
// start, against leftovers of earlier runs, and against other applications racing it.

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/helperlink/HelperManager.h"
#include "app/limit/ContentViewModel.h"
#include "app/limit/LimitTexts.h"
#include "app/limit/PasswordScript.h"
#include "platform/sim/Seqpacket.h"
#include "platform/sim/SimDirectory.h"
#include "platform/sim/SimKernelLimit.h"
#include "platform/sim/SimPhysicalMemory.h"
#include "platform/sim/helperlink/SimHelperTransport.h"
#include "platform/sim/helperlink/SimServiceManager.h"
#include "platform/sim/limit/SimAdminRunner.h"
#include "tests/limit/LimitFakes.h"
#include "tests/support/DaemonHarness.h"

namespace orvane::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::SizeIs;
using ::testing::StartsWith;
using SetResult = HelperManager::SetResult;

// One application's side of the helper link; it drains its main queue while it waits.
struct App {
    explicit App(const SimDir& dir, std::filesystem::path helper = ORVANE_HELPER_PATH,
                 std::vector<std::string> environment = {})
        : service(dir.path())
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

// While it lives, no file of ours may grow: every write to one fails with EFBIG. Daemons started
// meanwhile inherit both the limit and the ignored signal.
class NoFileGrowth {
public:
    NoFileGrowth() {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = saved_;
        none.rlim_cur = 0;
        ::setrlimit(RLIMIT_FSIZE, &none);
    }
    ~NoFileGrowth() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    NoFileGrowth(const NoFileGrowth&) = delete;
    NoFileGrowth& operator=(const NoFileGrowth&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

class LinkFaultTest : public ::testing::Test {
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

TEST_F(LinkFaultTest, ADaemonKilledBeforeItAnswersIsReplacedAndTheChangeGoesThrough) {
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

TEST_F(LinkFaultTest, ADaemonKilledAfterWritingButBeforeReplyingIsNoSuccess) {
    // The daemon logs the change after writing it and before replying: a full log pipe holds it
    // right there.
    ASSERT_EQ(::mkfifo(dir.logPath().c_str(), 0600), 0);
    const sim::UniqueFd reader(::open(dir.logPath().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    const sim::UniqueFd filler(::open(dir.logPath().c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
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

TEST_F(LinkFaultTest, AFailingKernelWriteReachesTheUserAsOneSentenceAndTheValueStays) {
    dir.write("iogpu.wired_limit_mb", "10240\n");
    FakeMainQueue queue;
    FakeLog log;
    sim::SimServiceManager service(dir.path());
    sim::SimHelperTransport transport(dir.path(), ORVANE_HELPER_PATH);
    HelperManager manager(service, transport, queue, log);
    sim::SimKernelLimit kernel(dir.path());
    sim::SimPhysicalMemory memory(dir.path());
    FakeDefaults defaults;
    FakeLoginItem loginItem;
    int prompts = 0;
    sim::SimAdminRunner admin(dir.path(), [&prompts](const std::string&) { return ++prompts; });
    ContentViewModel model(
        ContentServices{manager, kernel, memory, defaults, queue, admin, loginItem, log, nullptr});
    model.onPopoverAppear();
    {
        const NoFileGrowth full;
        model.applyVRAM(12.0);
        ASSERT_TRUE(model.busyMessage());
        // The helper fails, so the password road takes over, and fails the same way.
        ASSERT_TRUE(eventually(
            [&] {
                queue.drain();
                return model.busyMessage() != std::string(texts::applying);
            },
            60s));
        queue.advance(0.05);
    }
    EXPECT_EQ(model.vramError(), "sysctl: iogpu.wired_limit_mb: File too large");
    EXPECT_FALSE(model.busyMessage());
    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(dir.limit(), "10240\n");
    EXPECT_THAT(log.entries(),
                Contains(error("helper", "Helper failed to set the limit: File too large")));
}

TEST_F(LinkFaultTest, LeftoversOfEarlierRunsDoNotStopTheNextStart) {
    const std::function<void()> leftovers[] = {
        [&] {
            int error = 0;
            sim::listenSeqpacket(dir.socketPath(), &error); // closed at once; the file stays
        },
        [&] { dir.write("com.halvern.Orvane.helper.sock", "stale"); },
        [&] { dir.write("helper.lock", ""); },
    };
    for (const auto& leave : leftovers) {
        leave();
        App app(dir);
        EXPECT_EQ(app.setLimit(12288), SetResult::success);
        EXPECT_THAT(daemonsServing(dir), SizeIs(1));
        stopDaemons();
    }
    // What cannot be cleared away is reported, not waited on.
    std::filesystem::remove(dir.socketPath());
    std::filesystem::create_directory(dir.socketPath());
    App app(dir);
    EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
    EXPECT_THAT(app.log.entries(),
                ElementsAre(::testing::Field(&LogEntry::message,
                                             StartsWith("Helper connection failed: Could not"))));
}

TEST_F(LinkFaultTest, ADaemonThatCannotRunLeavesTheRequestUnavailable) {
    TempDir bin;
    bin.write("not-executable", "#!/bin/sh\n");
    bin.write("garbage", "\x7f"
                         "ELF but not really");
    std::filesystem::permissions(bin / "garbage", std::filesystem::perms::owner_all);
    bin.write("quits", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(bin / "quits", std::filesystem::perms::owner_all);
    for (const char* helper : {"not-executable", "garbage", "quits"}) {
        App app(dir, bin / helper);
        EXPECT_EQ(app.setLimit(12288), SetResult::unavailable) << helper;
        EXPECT_THAT(app.log.entries(),
                    ElementsAre(::testing::Field(&LogEntry::message,
                                                 StartsWith("Helper connection failed: "))))
            << helper;
    }
    EXPECT_EQ(dir.limit(), "0\n");
}

TEST_F(LinkFaultTest, RacingApplicationProcessesShareOneDaemonAndAreEachAnswered) {
    constexpr int racers = 4;
    int gate[2];
    ASSERT_EQ(::pipe2(gate, O_CLOEXEC), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < racers; ++i) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(gate[1]);
            char go = 0;
            [[maybe_unused]] const ssize_t n = ::read(gate[0], &go, 1); // returns at the close
            App app(dir);
            _exit(app.setLimit(8192 + 1024 * i) == SetResult::success ? 0 : 1);
        }
        children.push_back(child);
    }
    ::close(gate[0]);
    ::close(gate[1]); // all of them go at once
    for (const pid_t child : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_THAT(daemonsServing(dir), SizeIs(1));
    EXPECT_THAT((std::vector<std::string>{"8192\n", "9216\n", "10240\n", "11264\n"}),
                Contains(dir.limit()));
}

TEST_F(LinkFaultTest, AnIdleExitRacingEveryRequestNeverCostsAChange) {
    // With an idle period of two milliseconds, requests keep meeting a daemon on its way out.
    App app(dir, ORVANE_HELPER_PATH, {"ORVANE_HELPER_IDLE_TIMEOUT=0.002"});
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(app.setLimit(8192 + i), SetResult::success) << i;
        ASSERT_EQ(dir.limit(), std::to_string(8192 + i) + "\n");
    }
    EXPECT_THAT(app.log.entries(), ::testing::IsEmpty());
}

TEST(SimDirectoryFault, AFileWhereTheSimDirectoryShouldBeIsReportedNotHidden) {
    const TempDir parent;
    const std::filesystem::path simDir = parent / "sim";
    parent.write("sim", "a file, not a folder\n");
    const std::string saved = std::getenv("ORVANE_SIM_DIR") ? std::getenv("ORVANE_SIM_DIR") : "";
    ::setenv("ORVANE_SIM_DIR", simDir.c_str(), 1);
    EXPECT_EQ(sim::ensureSimDirectory(), ENOTDIR);
    saved.empty() ? ::unsetenv("ORVANE_SIM_DIR") : ::setenv("ORVANE_SIM_DIR", saved.c_str(), 1);

    // The password road, the only road left, says why in its own words.
    sim::SimAdminRunner admin(simDir, [](const std::string&) { return true; });
    const AdminRunner::Outcome outcome = admin.run(passwordScriptSource(12288));
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->message, "sysctl: iogpu.wired_limit_mb: Not a directory");
}

} // namespace
} // namespace orvane::test
