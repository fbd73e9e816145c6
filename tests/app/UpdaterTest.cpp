#include <gtest/gtest.h>

#include <QTest>

#include "platform/sim/update/AppcastFeed.h"
#include "platform/sim/update/FeedChecker.h"
#include "platform/sim/update/SimUpdater.h"
#include "platform/sim/update/UpdateResultWindow.h"
#include "platform/sim/update/VersionOrder.h"
#include "tests/support/FakeMainQueue.h"
#include "tests/support/FakeServices.h"
#include "tests/support/LocalHttpServer.h"

namespace orvane::sim {
namespace {

using Kind = FeedChecker::Outcome::Kind;

QByteArray appcast(const QByteArray& items) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel><title>Orvane</title>)" +
           items + "</channel></rss>";
}

const QByteArray olderAndCurrent = appcast(R"(
    <item><title>2.2.1</title><sparkle:version>221</sparkle:version>
      <sparkle:shortVersionString>2.2.1</sparkle:shortVersionString></item>
    <item><title>2.3.0</title>
      <enclosure url="https://example.invalid/2.3.0.zip" sparkle:version="230"
                 sparkle:shortVersionString="2.3.0" length="1" type="application/zip"/></item>)");

const QByteArray newer = appcast(R"(
    <item><sparkle:shortVersionString>2.10.0</sparkle:shortVersionString></item>
    <item><enclosure url="https://example.invalid/2.4.zip" sparkle:shortVersionString="2.4.0"/></item>)");

FeedChecker::Outcome checkOnce(const QUrl& feed) {
    FeedChecker checker(feed, "2.3.0");
    std::optional<FeedChecker::Outcome> result;
    checker.check([&](const FeedChecker::Outcome& outcome) { result = outcome; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 20000)) << "no answer";
    return result.value_or(FeedChecker::Outcome{});
}

TEST(AppcastFeed, FindsTheNewestReleaseAndRefusesWhatIsNotAnAppcast) {
    EXPECT_EQ(parseAppcast(olderAndCurrent).newest->version, "2.3.0"); // in the enclosure
    EXPECT_FALSE(parseAppcast(appcast("")).newest);
    EXPECT_TRUE(parseAppcast(appcast("")).error.isEmpty());
    for (const QByteArray& bad :
         {QByteArray(""), QByteArray("<html><body>404</body></html>"),
          QByteArray("<rss><channel><item>"), QByteArray("not xml at all")}) {
        const ParsedFeed feed = parseAppcast(bad);
        EXPECT_FALSE(feed.error.isEmpty()) << bad.toStdString();
        EXPECT_FALSE(feed.newest);
    }
}

TEST(VersionOrder, ComparesAsSparkleDoes) {
    const struct {
        const char* left;
        const char* right;
        int order;
    } cases[] = {
        // Numerically, part by part; missing numbers count as 0.
        {"2.10.0", "2.9.9", 1},
        {"2.3", "2.3.0", 0},
        {"2.3.0", "2.3.1", -1},
        {"2.3.0", "10", -1},
        {"15.2", "15.10", -1},
        // A trailing word is a pre-release; from a dash on, nothing counts.
        {"2.3.0b", "2.3.0a", 1},
        {"1.0b1", "1.0", -1},
        {"1.0", "1.0a", 1},
        {"2.0-rc1", "2.0", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(compareVersions(c.left, c.right), c.order) << c.left << " vs " << c.right;
        EXPECT_EQ(compareVersions(c.right, c.left), -c.order) << c.right << " vs " << c.left;
    }
}

TEST(FeedChecker, TellsUpToDateNewerMalformedAndUnreachableApart) {
    test::LocalHttpServer current(200, olderAndCurrent), released(200, newer),
        broken(200, "<rss><channel><item><title>half"), missing(404, "gone");
    EXPECT_EQ(checkOnce(current.url()).kind, Kind::upToDate);
    const auto found = checkOnce(released.url());
    EXPECT_EQ(found.kind, Kind::updateAvailable);
    EXPECT_EQ(found.version, "2.10.0");
    const auto unreadable = checkOnce(broken.url());
    EXPECT_EQ(unreadable.kind, Kind::failed);
    EXPECT_TRUE(unreadable.error.startsWith("The update feed could not be read"));
    EXPECT_EQ(checkOnce(missing.url()).kind, Kind::failed);
    const auto refused = checkOnce(test::unreachableUrl());
    EXPECT_EQ(refused.kind, Kind::failed);
    EXPECT_FALSE(refused.error.isEmpty());
}

TEST(UpdateResultWindow, SaysWhatTheCheckFound) {
    EXPECT_EQ(UpdateResultWindow::texts({Kind::upToDate, {}, {}}, "2.3.0").first,
              "You're up to date!");
    const auto newerText = UpdateResultWindow::texts({Kind::updateAvailable, "2.4.0", {}}, "2.3.0");
    EXPECT_TRUE(newerText.second.contains("2.4.0"));
    const auto failed =
        UpdateResultWindow::texts({Kind::failed, {}, "Connection refused"}, "2.3.0");
    EXPECT_TRUE(failed.second.endsWith("Connection refused"));
}

class SimUpdaterTest : public ::testing::Test {
protected:
    SimUpdater makeUpdater(FeedChecker& checker) {
        return SimUpdater(
            defaults, queue, checker,
            [this](const FeedChecker::Outcome& outcome) { shown.push_back(outcome); },
            [this] { return 1.0e9 + queue.now(); });
    }
    test::FakeDefaults defaults;
    test::FakeMainQueue queue;
    std::vector<FeedChecker::Outcome> shown;
};

TEST_F(SimUpdaterTest, ChecksEveryThirtyDaysQuietlyButAlwaysReportsACheckOnRequest) {
    test::LocalHttpServer server(200, olderAndCurrent);
    FeedChecker checker(server.url(), "2.3.0");
    SimUpdater updater = makeUpdater(checker);
    EXPECT_TRUE(updater.automaticallyChecksForUpdates());
    EXPECT_FALSE(updater.automaticallyDownloadsUpdates());
    updater.start();
    queue.advance(2591999.0);
    QTest::qWait(300); // time for a request that should not come
    EXPECT_EQ(server.requests(), 0);
    queue.advance(1.0);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return server.requests() == 1 && updater.checkScheduled(); }, 10000));
    EXPECT_TRUE(shown.empty()); // up to date: nothing to say

    // A check on request always reports, even with automatic checks off.
    updater.setAutomaticallyChecksForUpdates(false);
    updater.checkForUpdates();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 10000));
    EXPECT_EQ(shown.at(0).kind, Kind::upToDate);
}

TEST_F(SimUpdaterTest, ScheduledChecksStopWhenTurnedOffAndShowANewerVersion) {
    test::LocalHttpServer server(200, newer);
    FeedChecker checker(server.url(), "2.3.0");
    SimUpdater updater = makeUpdater(checker);
    updater.start();
    updater.setAutomaticallyChecksForUpdates(false);
    EXPECT_FALSE(updater.checkScheduled());
    queue.advance(3 * SimUpdater::scheduledCheckInterval);
    QTest::qWait(300); // time for a request that should not come
    EXPECT_EQ(server.requests(), 0);

    updater.setAutomaticallyChecksForUpdates(true);
    queue.advance(SimUpdater::scheduledCheckInterval); // overdue already: checks at once
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 10000));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, Kind::updateAvailable);
}

} // namespace
} // namespace orvane::sim
