#include "app/helperlink/HelperManager.h"

#include <cerrno>
#include <climits>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

#include "app/helperlink/HandshakeServiceManager.h"
#include "tests/support/FakeLog.h"
#include "tests/support/FakeMainQueue.h"
#include "tests/support/FakeServices.h"

namespace orvane::test {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using State = HelperManager::State;
using SetResult = HelperManager::SetResult;

const Script silent{.version = {}, .status = {}}; // nothing answers unless told

class HelperManagerTest : public ::testing::Test {
protected:
    HelperManagerTest() {
        service.journal = &journal;
        transport.journal = &journal;
        transport.script = silent;
    }

    // Starts a request whose completion notes its result, its reason and the thread it ran on.
    void setLimit(std::int64_t megabytes) {
        manager.setLimitWithReason(megabytes, [this](SetResult result, const std::string& reason) {
            results.push_back(result);
            reasons.push_back(reason);
            threads.push_back(std::this_thread::get_id());
            journal.push_back("completion");
        });
    }

    // One request of 8192 MB on the script, drained: what the fakes were asked before its
    // completion, its result, and the line it logged, if any.
    void expectRequest(Script script, Journal asked, SetResult result, const std::string& logged) {
        transport.script = std::move(script);
        journal.clear();
        results.clear();
        const auto before = static_cast<std::ptrdiff_t>(log.entries().size());
        setLimit(8192);
        queue.drain();
        asked.push_back("completion");
        EXPECT_EQ(journal, asked) << logged;
        EXPECT_THAT(results, ElementsAre(result)) << logged;
        const auto entries = log.entries();
        EXPECT_EQ(std::vector(entries.begin() + before, entries.end()),
                  logged.empty() ? std::vector<LogEntry>() : std::vector{error("helper", logged)});
    }

    Journal journal;
    FakeServiceManager service;
    FakeTransport transport;
    FakeMainQueue queue;
    FakeLog log;
    HelperManager manager{service, transport, queue, log};
    std::vector<SetResult> results;
    std::vector<std::string> reasons;
    std::vector<std::thread::id> threads;
};

// The popover's tests walk the usual statuses and registrations; here are the odd ones.
TEST_F(HelperManagerTest, AnUnknownStatusIsOffAndLoginItemsOpenWhenItReadsTwoAfterRegistering) {
    for (const long status : {3L, 4L, -1L, LONG_MAX}) {
        service.current = status;
        EXPECT_EQ(manager.state(), State::off) << status;
    }
    journal.clear();
    // A failed registration is only logged: what the status reads afterwards decides.
    service.current = 2;
    service.registerError = "Operation not permitted";
    manager.registerHelper();
    service.current = 0;
    service.afterRegister = 0;
    service.registerError = "Invalid signature";
    manager.registerHelper();
    EXPECT_EQ(journal, (Journal{"register", "status", "openLoginItems", "register", "status"}));
    service.unregisterError = "Not registered";
    manager.unregister();
    EXPECT_THAT(
        log.entries(),
        ElementsAre(error("helper", "Registering the helper failed: Operation not permitted"),
                    error("helper", "Registering the helper failed: Invalid signature"),
                    error("helper", "Unregistering the helper failed: Not registered")));
}

TEST_F(HelperManagerTest, SendsTheLimitOnlyAfterVersionOneAndInvalidatesBeforeCompleting) {
    const Journal sent = {"version", "setWiredLimit 8192", "invalidate"};
    const Journal versionOnly = {"version", "invalidate"};
    expectRequest({1, 0}, sent, SetResult::success, "");
    expectRequest({1, EINVAL}, sent, SetResult::rejected, "");
    expectRequest({1, EPERM}, sent, SetResult::unavailable,
                  "Helper failed to set the limit: Operation not permitted");
    expectRequest({2, 0}, versionOnly, SetResult::unavailable,
                  "Helper protocol 2 doesn't match app protocol 1");
    expectRequest({{}, {}, "Connection invalid"}, versionOnly, SetResult::unavailable,
                  "Helper connection failed: Connection invalid");
    // A connection that does not speak the protocol, then no connection at all.
    expectRequest({{}, {}, "", false}, {"invalidate"}, SetResult::unavailable, "");
    transport.refuse = true;
    expectRequest(silent, {}, SetResult::unavailable, "");
}

TEST_F(HelperManagerTest, CompletesOnceOnTheMainQueueNeverBeforeReturningAndTheFirstResultWins) {
    transport.script = {1, 0}; // answered inside setLimit
    setLimit(8192);
    EXPECT_THAT(results, IsEmpty());
    transport.script = silent;
    setLimit(9216); // answered from the connection's own thread, then a late error
    auto second = transport.connections.at(1);
    std::thread([&] {
        second->versionReply(1);
        second->statusReply(0);
        second->onError("Connection interrupted");
    }).join();
    EXPECT_THAT(results, IsEmpty());
    queue.drain();
    setLimit(8192); // an error, then a late reply
    auto third = transport.connections.at(2);
    third->versionReply(1);
    third->onError("Connection interrupted");
    queue.drain();
    third->statusReply(EINVAL);
    queue.drain();

    EXPECT_THAT(results,
                ElementsAre(SetResult::success, SetResult::success, SetResult::unavailable));
    EXPECT_THAT(threads, Each(std::this_thread::get_id()));
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "invalidate"), 3);
    EXPECT_NE(transport.connections.at(0), second);
}

TEST_F(HelperManagerTest, ASilentDaemonEndsAtTheDeadlineAndTheReasonNamesTheWait) {
    setLimit(8192); // nothing answers at all
    queue.advance(4.9);
    EXPECT_THAT(results, IsEmpty());
    queue.advance(0.2);
    transport.script = {1, {}}; // the version comes, the limit's answer never
    setLimit(8192);
    queue.advance(5.0);
    EXPECT_THAT(results, ElementsAre(SetResult::unavailable, SetResult::unavailable));
    EXPECT_THAT(reasons,
                ElementsAre("The helper did not reply to the version query within 5 seconds.",
                            "The helper did not reply to the new limit within 5 seconds."));
    EXPECT_EQ(log.entries().size(), 2u); // each said in the log as well
    EXPECT_EQ(journal.at(journal.size() - 2), "invalidate");

    // An answer in time, or a transport that ends its own waits, leaves no deadline behind.
    transport.script = {1, 0};
    setLimit(8192);
    queue.drain();
    transport.boundsWaits = true;
    transport.script = silent;
    setLimit(8192);
    EXPECT_EQ(queue.pendingTimers(), 0u);
    queue.advance(60.0);
    EXPECT_EQ(results.size(), 3u);
}

// orvane's view: the helper's own answer, waited for on the calling thread, never the registry's
// status (which reads 2 here). The real connections answer from their own threads: see the
// command line's tests.
TEST(HandshakeServiceManager, EnabledOnlyWhileTheHelperAnswersInOurProtocol) {
    FakeServiceManager system;
    system.current = 2;
    FakeTransport transport;
    FakeLog log;
    HandshakeServiceManager handshake(system, transport, log, 0.05);
    struct Case {
        Script script;
        long status;
    };
    const Case cases[] = {
        {{}, 1},      // version 1
        {{2, {}}, 0}, // another protocol
        {{{}, {}, "Connection invalid"}, 0},
        {{{}, {}, "", false}, 0}, // no proxy of ours
        {silent, 0},              // no answer within the deadline
    };
    for (const Case& c : cases) {
        transport.script = c.script;
        EXPECT_EQ(handshake.status(), c.status);
    }
    transport.refuse = true;
    EXPECT_EQ(handshake.status(), 0);
}

} // namespace
} // namespace orvane::test
