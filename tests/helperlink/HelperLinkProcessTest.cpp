#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <latch>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/helperlink/HelperManager.h"
#include "platform/sim/Seqpacket.h"
#include "platform/sim/helperlink/SimHelperTransport.h"
#include "platform/sim/helperlink/SimServiceManager.h"
#include "shared/WireFormat.h"
#include "tests/support/DaemonHarness.h"
#include "tests/support/FakeLog.h"
#include "tests/support/FakeMainQueue.h"

namespace orvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using SetResult = HelperManager::SetResult;
using Operation = wire::Operation;

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
        for (int i = 0; i < 6000 && !result; ++i) {
            queue.drain();
            std::this_thread::sleep_for(5ms);
        }
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

// A stand-in daemon that serves a number of connections one after the other, answering each
// request as the test says; no answer ends that connection unanswered.
class DoubleServer {
public:
    using Answer = std::function<std::optional<std::int64_t>(const wire::Message&, int)>;

    DoubleServer(const SimDir& dir, int connections, Answer answer) {
        int error = 0;
        listener_ = sim::listenSeqpacket(dir.socketPath(), &error);
        thread_ = std::thread([this, connections, answer] {
            for (int connection = 0; connection < connections; ++connection) {
                const sim::UniqueFd client(::accept4(listener_.get(), nullptr, nullptr, 0));
                wire::Packet packet{};
                while (::recv(client.get(), packet.data(), packet.size(), 0) == wire::packetSize) {
                    received_.push_back(*wire::decode(packet).message);
                    const auto value = answer(received_.back(), connection);
                    if (!value) {
                        break;
                    }
                    packet = wire::encode({received_.back().operation, *value});
                    ::send(client.get(), packet.data(), packet.size(), MSG_NOSIGNAL);
                }
            }
        });
    }
    ~DoubleServer() {
        ::shutdown(listener_.get(), SHUT_RDWR);
        thread_.join();
    }
    // What it received, once all its connections have ended.
    std::vector<wire::Message> received() {
        thread_.join();
        thread_ = std::thread([] {});
        return received_;
    }

private:
    sim::UniqueFd listener_;
    std::vector<wire::Message> received_;
    std::thread thread_;
};

std::string procText(const std::filesystem::path& path) {
    std::string text;
    const sim::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    char buffer[4096];
    for (ssize_t n = 0; fd && (n = ::read(fd.get(), buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

class HelperLinkProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::prctl(PR_SET_CHILD_SUBREAPER, 1); // so that started daemons become our children
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
            if (procText(it->path() / "cmdline").starts_with("OrvaneHelper") &&
                procText(it->path() / "environ").find(mark) != std::string::npos) {
                found.push_back(std::stoi(it->path().filename()));
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
        if (status[0] == '0') {
            EXPECT_THAT(app.log.entries(),
                        ElementsAre(error("helper", "Helper connection failed: The helper is not "
                                                    "registered, so it was not started.")));
        }
    }
}

TEST_F(HelperLinkProcessTest, StartsTheDaemonOnDemandAndRelaysItsAnswers) {
    App app(dir);
    EXPECT_EQ(app.setLimit(12288), SetResult::success);
    EXPECT_EQ(dir.limit(), "12288\n");
    EXPECT_EQ(app.setLimit(4096), SetResult::rejected);
    EXPECT_EQ(dir.limit(), "12288\n");
    EXPECT_EQ(daemons().size(), 1u);
}

TEST_F(HelperLinkProcessTest, ADaemonKilledMidRequestEndsItAsUnavailable) {
    // The daemon reads the memory size while it handles the limit; a FIFO holds it there.
    std::filesystem::remove(dir / "hw.memsize");
    ASSERT_EQ(::mkfifo((dir / "hw.memsize").c_str(), 0600), 0);
    App app(dir);
    app.start(12288);
    sim::UniqueFd writer;
    for (int i = 0; i < 6000 && !writer; ++i) {
        std::this_thread::sleep_for(5ms);
        writer.reset(::open((dir / "hw.memsize").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    }
    ASSERT_TRUE(writer) << "the daemon never took up the request";
    ASSERT_EQ(daemons().size(), 1u);
    ::kill(daemons()[0], SIGKILL);
    EXPECT_EQ(app.wait(), SetResult::unavailable);
    EXPECT_THAT(app.log.entries(),
                ElementsAre(error("helper", "Helper connection failed: The helper closed the "
                                            "connection before it replied.")));
}

TEST_F(HelperLinkProcessTest, TwoClientsStartingAtOnceShareOneDaemon) {
    std::latch ready(2);
    std::optional<SetResult> results[2];
    std::thread clients[2];
    for (int i = 0; i < 2; ++i) {
        clients[i] = std::thread([&, i] {
            App app(dir);
            ready.arrive_and_wait();
            results[i] = app.setLimit(12288 + 1024 * i);
        });
    }
    clients[0].join();
    clients[1].join();
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
    EXPECT_EQ(daemons().size(), 1u);
}

TEST_F(HelperLinkProcessTest, AMissingDaemonExecutableGivesUnavailable) {
    App app(dir, dir / "NoSuchHelper");
    EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
    EXPECT_THAT(
        app.log.entries(),
        ElementsAre(error("helper", "Helper connection failed: Could not start the helper " +
                                        (dir / "NoSuchHelper").string() +
                                        ": No such file or directory.")));
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
            [[maybe_unused]] const ssize_t n = ::write(ready[1], "!", 1);
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
    DoubleServer server(dir, 1, [](const wire::Message&, int) { return 2; });
    App app(dir);
    EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
    EXPECT_THAT(server.received(), ElementsAre(wire::Message{Operation::protocolVersion, 0}));
    EXPECT_THAT(app.log.entries(),
                ElementsAre(error("helper", "Helper protocol 2 doesn't match app protocol 1")));
}

TEST_F(HelperLinkProcessTest, AFailedWriteIsLoggedWithItsErrnoText) {
    DoubleServer server(dir, 1, [](const wire::Message& request, int) {
        return request.operation == Operation::protocolVersion ? 1 : EPERM;
    });
    App app(dir);
    EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
    EXPECT_THAT(
        app.log.entries(),
        ElementsAre(error("helper", "Helper failed to set the limit: Operation not permitted")));
}

TEST_F(HelperLinkProcessTest, OnlyAConnectionEndedBeforeAnyReplyIsMadeAgain) {
    App app(dir);
    {
        // The first connection ends unanswered, as when the daemon exits idle right then.
        DoubleServer server(dir, 2, [](const wire::Message& request, int connection) {
            const bool version = request.operation == Operation::protocolVersion;
            return connection == 0 ? std::nullopt : std::optional<std::int64_t>(version ? 1 : 0);
        });
        EXPECT_EQ(app.setLimit(12288), SetResult::success);
        EXPECT_EQ(server.received().size(), 3u);
    }
    // Once the version is answered, an ending connection is a failed request.
    std::filesystem::remove(dir.socketPath());
    DoubleServer server(dir, 1, [](const wire::Message& request, int) {
        const bool version = request.operation == Operation::protocolVersion;
        return version ? std::optional<std::int64_t>(1) : std::nullopt;
    });
    EXPECT_EQ(app.setLimit(12288), SetResult::unavailable);
    EXPECT_EQ(server.received().size(), 2u);
}

TEST_F(HelperLinkProcessTest, InvalidatingAWaitingConnectionUnblocksAndSilencesIt) {
    std::latch asked(1);
    std::latch released(1);
    DoubleServer server(dir, 1, [&](const wire::Message&, int) {
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
    for (int i = 0; i < 6000 && token.use_count() > 1; ++i) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(token.use_count(), 1) << "the waiting worker still holds its handlers";
    released.count_down();
    EXPECT_EQ(*token, 0);
}

} // namespace
} // namespace orvane::test
