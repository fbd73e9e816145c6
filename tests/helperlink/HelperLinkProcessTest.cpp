#include <csignal>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <latch>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/helperlink/HelperManager.h"
#include "platform/sim/Seqpacket.h"
#include "platform/sim/helperlink/SimHelperTransport.h"
#include "platform/sim/helperlink/SimServiceManager.h"
#include "tests/helperlink/DoubleServer.h"
#include "tests/support/DaemonHarness.h"
#include "tests/support/FakeLog.h"
#include "tests/support/FakeMainQueue.h"

namespace orvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using SetResult = HelperManager::SetResult;
using Operation = wire::Operation;

// A /proc file in full; empty once the process has gone.
std::string procText(const std::filesystem::path& path) {
    std::string text;
    const sim::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    char buffer[4096];
    ssize_t n = 0;
    while (fd && (n = ::read(fd.get(), buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return n < 0 ? std::string() : text;
}

// One application's side of the helper link, its main queue drained while it waits.
struct App {
    App(const SimDir& dir, std::filesystem::path helperPath = ORVANE_HELPER_PATH,
        std::vector<std::string> environment = {})
        : service(dir.path())
        , transport(dir.path(), std::move(helperPath), std::move(environment)) {}

    std::optional<SetResult> setLimit(std::int64_t megabytes) {
        std::optional<SetResult> result;
        manager.setLimit(megabytes, [&](SetResult outcome) { result = outcome; });
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (!result && std::chrono::steady_clock::now() < deadline) {
            queue.drain();
            std::this_thread::sleep_for(5ms);
        }
        return result;
    }

    sim::SimServiceManager service;
    sim::SimHelperTransport transport;
    FakeMainQueue queue;
    FakeLog log;
    HelperManager manager{service, transport, queue, log};
};

class HelperLinkProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Daemons started here become our children once their starter has left.
        ::prctl(PR_SET_CHILD_SUBREAPER, 1);
        dir.write("helper.status", "1\n");
    }
    void TearDown() override {
        for (const pid_t pid : daemons()) {
            ::kill(pid, SIGKILL);
        }
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }

    // The live daemons serving this test's sim directory.
    std::vector<pid_t> daemons() const {
        std::vector<pid_t> found;
        const std::string mark = "ORVANE_SIM_DIR=" + dir.path().string() + '\0';
        std::error_code ec;
        for (auto it = std::filesystem::directory_iterator("/proc", ec);
             !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
            const std::string name = it->path().filename();
            if (name.find_first_not_of("0123456789") == std::string::npos &&
                procText(it->path() / "cmdline").starts_with(std::string("OrvaneHelper") + '\0') &&
                procText(it->path() / "environ").find(mark) != std::string::npos) {
                found.push_back(std::stoi(name));
            }
        }
        return found;
    }

    SimDir dir;
};

TEST_F(HelperLinkProcessTest, ADaemonThatIsNotEnabledIsNeverStarted) {
    for (const char* status : {"0\n", "2\n", "3\n"}) {
        dir.write("helper.status", status);
        App app(dir);
        EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
        EXPECT_THAT(daemons(), IsEmpty());
        EXPECT_FALSE(std::filesystem::exists(dir.socketPath()));
    }
    std::filesystem::remove(dir / "helper.status");
    App app(dir);
    EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
    EXPECT_THAT(app.log.entries(),
                ElementsAre(error("helper", "Helper connection failed: The helper is not "
                                            "registered, so it was not started.")));
}

TEST_F(HelperLinkProcessTest, StartsTheDaemonOnDemandAndRelaysItsAnswers) {
    App app(dir);
    EXPECT_EQ(app.setLimit(12288), SetResult::success);
    EXPECT_EQ(dir.limit(), "12288\n");
    EXPECT_EQ(daemons().size(), 1u);
    EXPECT_EQ(app.setLimit(4096), SetResult::rejected);
    EXPECT_EQ(dir.limit(), "12288\n");
    EXPECT_THAT(app.log.entries(), IsEmpty());
}

TEST_F(HelperLinkProcessTest, ADaemonKilledMidRequestEndsItAsUnavailable) {
    // The daemon reads the memory size while it handles the limit; a FIFO holds it there.
    std::filesystem::remove(dir / "hw.memsize");
    ASSERT_EQ(::mkfifo((dir / "hw.memsize").c_str(), 0600), 0);
    App app(dir);
    std::optional<SetResult> result;
    app.manager.setLimit(12288, [&](SetResult outcome) { result = outcome; });

    sim::UniqueFd writer;
    for (int i = 0; i < 6000 && !writer; ++i) {
        writer.reset(::open((dir / "hw.memsize").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(writer) << "the daemon never took up the request";
    const auto running = daemons();
    ASSERT_EQ(running.size(), 1u);
    ::kill(running[0], SIGKILL);

    for (int i = 0; i < 6000 && !result; ++i) {
        app.queue.drain();
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(result, SetResult::unavailable);
    EXPECT_THAT(app.log.entries(),
                ElementsAre(error("helper", "Helper connection failed: The helper closed the "
                                            "connection before it replied.")));
}

TEST_F(HelperLinkProcessTest, TwoClientsStartingAtOnceShareOneDaemon) {
    std::latch start(2);
    std::optional<SetResult> results[2];
    std::vector<std::thread> clients;
    for (int i = 0; i < 2; ++i) {
        clients.emplace_back([&, i] {
            App app(dir);
            start.arrive_and_wait();
            results[i] = app.setLimit(12288 + 1024 * i);
        });
    }
    for (auto& client : clients) {
        client.join();
    }
    EXPECT_EQ(results[0], SetResult::success);
    EXPECT_EQ(results[1], SetResult::success);
    EXPECT_EQ(daemons().size(), 1u);
}

TEST_F(HelperLinkProcessTest, AnIdleDaemonExitsAndTheNextRequestStartsItAgain) {
    App app(dir, ORVANE_HELPER_PATH, {"ORVANE_HELPER_IDLE_TIMEOUT=0.3"});
    ASSERT_EQ(app.setLimit(12288), SetResult::success);
    const auto first = daemons();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(waitForExit(first[0], 10s), 0);

    EXPECT_EQ(app.setLimit(13312), SetResult::success);
    EXPECT_EQ(dir.limit(), "13312\n");
    const auto second = daemons();
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(second[0], first[0]);
}

TEST_F(HelperLinkProcessTest, AMissingDaemonExecutableGivesUnavailable) {
    App app(dir, dir / "NoSuchHelper");
    EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
    EXPECT_THAT(
        app.log.entries(),
        ElementsAre(error("helper", "Helper connection failed: Could not start the helper " +
                                        (dir / "NoSuchHelper").string() +
                                        ": No such file or directory.")));
    EXPECT_FALSE(std::filesystem::exists(dir.socketPath()));
}

TEST_F(HelperLinkProcessTest, ADaemonOfAnotherUserIsRefused) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to listen as another user";
    }
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t stranger = ::fork();
    if (stranger == 0) {
        int error = 0;
        if (::setgid(65534) == 0 && ::setuid(65534) == 0 &&
            sim::listenSeqpacket(dir.socketPath(), &error).release() >= 0) {
            [[maybe_unused]] const auto n = ::write(ready[1], "!", 1);
            ::pause();
        }
        _exit(1);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    App app(dir);
    EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
    EXPECT_THAT(app.log.entries(),
                ElementsAre(error("helper", "Helper connection failed: The helper runs as another "
                                            "user, so the connection was refused.")));
    ::kill(stranger, SIGKILL);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST_F(HelperLinkProcessTest, ADaemonOfAnotherVersionIsNeverAskedForTheLimit) {
    DoubleServer server(dir.socketPath(), [](const wire::Message& request, int) {
        return request.operation == Operation::protocolVersion ? 2 : 0;
    });
    App app(dir);
    EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
    EXPECT_THAT(server.received(), ElementsAre(wire::Message{Operation::protocolVersion, 0}));
    EXPECT_THAT(app.log.entries(),
                ElementsAre(error("helper", "Helper protocol 2 doesn't match app protocol 1")));
}

TEST_F(HelperLinkProcessTest, AFailedWriteIsLoggedWithItsErrnoText) {
    DoubleServer server(dir.socketPath(), [](const wire::Message& request, int) {
        return request.operation == Operation::protocolVersion ? 1 : EPERM;
    });
    App app(dir);
    EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
    EXPECT_THAT(
        app.log.entries(),
        ElementsAre(error("helper", "Helper failed to set the limit: Operation not permitted")));
}

TEST_F(HelperLinkProcessTest, OnlyAConnectionEndedBeforeAnyReplyIsMadeAgain) {
    // The first connection ends unanswered, as with a daemon exiting idle right then.
    std::optional<DoubleServer> server;
    server.emplace(dir.socketPath(), [](const wire::Message& request, int connection) {
        const bool version = request.operation == Operation::protocolVersion;
        return connection == 0 ? std::nullopt : std::optional<std::int64_t>(version ? 1 : 0);
    });
    App app(dir);
    EXPECT_EQ(app.setLimit(12288), SetResult::success);
    EXPECT_EQ(server->received().size(), 3u);

    // Once the version is answered, an ending connection is a failed request.
    server.reset();
    std::filesystem::remove(dir.socketPath());
    server.emplace(dir.socketPath(), [](const wire::Message& request, int) {
        return request.operation == Operation::protocolVersion ? std::optional<std::int64_t>(1)
                                                               : std::nullopt;
    });
    EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
    EXPECT_EQ(server->received().size(), 2u);
}

} // namespace
} // namespace orvane::test
