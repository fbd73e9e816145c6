#include "app/helperlink/HelperManager.h"

#include <climits>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

#include "tests/helperlink/FakeHelperLink.h"
#include "tests/support/FakeLog.h"
#include "tests/support/FakeMainQueue.h"

namespace orvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using State = HelperManager::State;
using SetResult = HelperManager::SetResult;

const char* name(SetResult result) {
    switch (result) {
    case SetResult::success:
        return "success";
    case SetResult::rejected:
        return "rejected";
    case SetResult::unavailable:
        break;
    }
    return "unavailable";
}

class HelperManagerTest : public ::testing::Test {
protected:
    // Starts a request whose completion records its result, and the thread it ran on, in order.
    void setLimit(std::int64_t megabytes) {
        manager.setLimit(megabytes, [this](SetResult result) {
            results.push_back(result);
            completionThreads.push_back(std::this_thread::get_id());
            journal.add(std::string("completion ") + name(result));
        });
    }

    Journal journal;
    FakeServiceManager service;
    FakeTransport transport{journal};
    FakeMainQueue queue;
    FakeLog log;
    HelperManager manager{service, transport, queue, log};
    std::vector<SetResult> results;
    std::vector<std::thread::id> completionThreads;
};

TEST_F(HelperManagerTest, MapsTheStatusReadAtEachCall) {
    const std::pair<long, State> table[] = {
        {0, State::off}, {1, State::on},   {2, State::needsApproval}, {3, State::off},
        {4, State::off}, {-1, State::off}, {LONG_MAX, State::off}};
    for (const auto& [status, expected] : table) {
        service.statusValue = status;
        EXPECT_EQ(manager.state(), expected) << status;
    }
}

TEST(HelperManagerRegistration, OpensLoginItemsExactlyWhenTheStatusReadsTwoAfterwards) {
    struct Case {
        long before;
        long after;
        std::optional<std::string> error;
    };
    const Case cases[] = {{0, 2, {}},
                          {0, 1, {}},
                          {3, 2, {}},
                          {2, 2, "Operation not permitted"},
                          {0, 0, "Invalid signature"},
                          {1, 1, "Already registered"}};
    for (const Case& c : cases) {
        Journal journal;
        FakeServiceManager service;
        FakeTransport transport{journal};
        FakeMainQueue queue;
        FakeLog log;
        HelperManager manager{service, transport, queue, log};
        service.statusValue = c.before;
        service.statusAfterRegister = c.after;
        service.registerError = c.error;

        manager.registerHelper();
        std::vector<std::string> expected = {"register", "status"};
        if (c.after == 2) {
            expected.emplace_back("openLoginItems");
        }
        EXPECT_EQ(service.calls, expected) << c.before << " -> " << c.after;
        if (c.error) {
            EXPECT_THAT(log.entries(),
                        ElementsAre(error("helper", "Registering the helper failed: " + *c.error)));
        } else {
            EXPECT_THAT(log.entries(), IsEmpty());
        }
    }
}

TEST_F(HelperManagerTest, LogsAFailedUnregistrationOnly) {
    manager.unregister();
    EXPECT_THAT(log.entries(), IsEmpty());
    service.unregisterError = "The operation couldn't be completed.";
    manager.unregister();
    EXPECT_THAT(log.entries(), ElementsAre(error("helper", "Unregistering the helper failed: The "
                                                           "operation couldn't be completed.")));
}

TEST_F(HelperManagerTest, SendsTheLimitAfterTheVersionAndInvalidatesBeforeCompleting) {
    transport.script = Script::answering(1, 0);
    setLimit(12288);
    queue.drain();
    EXPECT_THAT(journal.events(),
                ElementsAre("connect", "openProxy", "version", "setWiredLimit 12288", "invalidate",
                            "completion success"));
}

TEST_F(HelperManagerTest, MapsEachOutcomeWithItsLogLine) {
    struct Case {
        Script script;
        SetResult expected;
        std::vector<LogEntry> logged;
        bool limitSent;
    };
    const Case cases[] = {
        {Script::answering(1, 0), SetResult::success, {}, true},
        {Script::answering(1, 22), SetResult::rejected, {}, true},
        {Script::answering(1, 1),
         SetResult::unavailable,
         {error("helper", "Helper failed to set the limit: Operation not permitted")},
         true},
        {Script::answering(2, 0),
         SetResult::unavailable,
         {error("helper", "Helper protocol 2 doesn't match app protocol 1")},
         false},
        {Script::failing("Couldn't communicate with a helper application."),
         SetResult::unavailable,
         {error("helper",
                "Helper connection failed: Couldn't communicate with a helper application.")},
         false},
        {Script::withoutProxy(), SetResult::unavailable, {}, false},
    };
    for (const Case& c : cases) {
        Journal journal;
        FakeTransport transport{journal};
        FakeLog log;
        HelperManager manager{service, transport, queue, log};
        transport.script = c.script;
        std::vector<SetResult> seen;
        manager.setLimit(8192, [&](SetResult result) { seen.push_back(result); });
        queue.drain();

        EXPECT_THAT(seen, ElementsAre(c.expected)) << name(c.expected);
        EXPECT_EQ(log.entries(), c.logged);
        const auto events = journal.events();
        EXPECT_EQ(std::count(events.begin(), events.end(), "setWiredLimit 8192"), c.limitSent);
        EXPECT_EQ(transport.connections.at(0)->invalidations, 1);
    }
}

TEST_F(HelperManagerTest, TheFirstResultWinsWhetherItIsAReplyOrAnError) {
    setLimit(8192); // a reply, then a late error
    auto first = transport.connections.at(0);
    first->versionReply(1);
    first->statusReply(0);
    first->onError("Connection interrupted");
    queue.drain();
    first->onError("Connection invalid");
    queue.drain();

    setLimit(8192); // an error, then a late reply
    auto second = transport.connections.at(1);
    second->versionReply(1);
    second->onError("Connection interrupted");
    second->statusReply(0);
    queue.drain();
    second->statusReply(22);
    queue.drain();

    EXPECT_THAT(results, ElementsAre(SetResult::success, SetResult::unavailable));
    EXPECT_EQ(first->invalidations, 1);
    EXPECT_EQ(second->invalidations, 1);
}

TEST_F(HelperManagerTest, CompletesOnTheMainQueueAndNeverBeforeReturning) {
    transport.script = Script::answering(1, 0); // everything answered inside setLimit
    setLimit(8192);
    EXPECT_THAT(results, IsEmpty());

    transport.script = {};
    setLimit(9216); // answered from the connection's own thread
    auto connection = transport.connections.at(1);
    std::thread([&] {
        connection->versionReply(1);
        connection->statusReply(0);
    }).join();
    EXPECT_THAT(results, IsEmpty());

    queue.drain();
    EXPECT_THAT(results, ElementsAre(SetResult::success, SetResult::success));
    EXPECT_THAT(completionThreads,
                ElementsAre(std::this_thread::get_id(), std::this_thread::get_id()));
}

TEST_F(HelperManagerTest, EachCallOpensItsOwnConnection) {
    transport.script = Script::answering(1, 0);
    setLimit(8192);
    setLimit(9216);
    queue.drain();
    ASSERT_EQ(transport.connections.size(), 2u);
    EXPECT_NE(transport.connections[0], transport.connections[1]);
    EXPECT_THAT(results, ElementsAre(SetResult::success, SetResult::success));
}

TEST_F(HelperManagerTest, ATransportWithoutAConnectionGivesUnavailable) {
    transport.refuse = true;
    setLimit(8192);
    queue.drain();
    EXPECT_THAT(results, ElementsAre(SetResult::unavailable));
}

} // namespace
} // namespace orvane::test
