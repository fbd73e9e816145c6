#include <gtest/gtest.h>
#include <tuple>

#include <QTest>

#include "platform/sim/update/AppcastFeed.h"
#include "platform/sim/update/FeedChecker.h"
#include "platform/sim/update/SimUpdater.h"
#include "platform/sim/update/UpdateChoice.h"
#include "platform/sim/update/UpdateResultWindow.h"
#include "platform/sim/update/VersionOrder.h"
#include "tests/support/FakeMainQueue.h"
#include "tests/support/FakeServices.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/TempDir.h"

namespace orvane::sim {
namespace {

using Kind = FeedChecker::Outcome::Kind;

QByteArray appcast(const QByteArray& items) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel><title>Orvane</title>)" +
           items + "</channel></rss>";
}

// A release in the feed: its version, more elements, and a download with these attributes, or
// none when they are null.
QByteArray release(const char* version, const QByteArray& more = {}, const char* download = "") {
    const QByteArray enclosure =
        download ? R"(<enclosure url="a.zip" )" + QByteArray(download) + "/>" : "";
    return "<item><sparkle:version>" + QByteArray(version) + "</sparkle:version>" + enclosure +
           more + "</item>";
}

QByteArray with(const char* name, const QByteArray& value) {
    return QByteArray("<sparkle:") + name + ">" + value + "</sparkle:" + name + ">";
}

// Each with a release whose version is only in its enclosure.
const QByteArray olderAndCurrent =
    appcast(release("2.2.1") + R"(<item><enclosure url="b.zip" sparkle:version="2.3.0"/></item>)");
const QByteArray newer =
    appcast(release("2.10.0") + R"(<item><enclosure url="b.zip" sparkle:version="2.4.0"/></item>)");

TEST(AppcastFeed, ReadsTheItemsAndRefusesWhatSparkleWouldRefuse) {
    const ParsedFeed feed = parseAppcast(olderAndCurrent);
    ASSERT_EQ(feed.items.size(), 2u);
    EXPECT_EQ(feed.items[1].version, "2.3.0");              // in the enclosure
    EXPECT_TRUE(parseAppcast(appcast("")).error.isEmpty()); // an empty channel is no error
    for (const QByteArray& bad : {
             QByteArray(""),
             QByteArray("<html><body>404</body></html>"),
             QByteArray("<rss><channel><item>"),
             // An item Sparkle cannot use makes it refuse the whole feed.
             appcast(R"(<item><enclosure url="https://example.invalid/new.zip"/></item>)"),
             appcast(release("2.4.0", {}, nullptr)),
             appcast(release("2.4.0", "<link>mailto:x</link>", nullptr)),
             appcast(release("2.4.0", {}, R"(sparkle:installationType="x")")),
         }) {
        const ParsedFeed refused = parseAppcast(bad);
        EXPECT_FALSE(refused.error.isEmpty()) << bad.toStdString();
        EXPECT_TRUE(refused.items.empty());
    }
}

// Numerically, part by part, a missing number counting as 0; a trailing word is a pre-release;
// from a dash on, nothing counts.
TEST(VersionOrder, ComparesAsSparkleDoes) {
    const std::tuple<const char*, const char*, int> cases[] = {
        {"2.10.0", "2.9.9", 1}, {"2.3", "2.3.0", 0},   {"2.3.0", "2.3.1", -1},
        {"2.3.0", "10", -1},    {"15.2", "15.10", -1}, {"2.3.0b", "2.3.0a", 1},
        {"1.0b1", "1.0", -1},   {"1.0", "1.0a", 1},    {"2.0-rc1", "2.0", 0}};
    for (const auto& [left, right, order] : cases) {
        EXPECT_EQ(compareVersions(left, right), order) << left << " vs " << right;
        EXPECT_EQ(compareVersions(right, left), -order) << right << " vs " << left;
    }
}

TEST(UpdateChoice, OffersTheReleaseSparkleWouldOfferThisMachine) {
    // Running 2.3.0 on macOS 15.2 unless a case says otherwise. "" means no update.
    const QByteArray link = "<link>https://x.invalid/notes</link>";
    const struct {
        const char* rule;
        QByteArray items;
        const char* offered;
        bool informational = false;
        const char* system = "15.2";
    } cases[] = {
        {"newest", release("2.4.0") + release("2.5.0") + release("2.3.0"), "2.5.0"},
        {"shown by its short version",
         release("2.4.0", {}, R"(sparkle:shortVersionString="2.4 Aster")"), "2.4 Aster"},
        {"ordered by its version, not its name",
         release("2.2.0", with("shortVersionString", "9.0")), ""},
        {"version from the file name", R"(<item><enclosure url="x/Orvane_2.4.0.zip"/></item>)",
         "2.4.0"},
        {"no channel", release("2.4.0") + release("2.9.0", with("channel", "nightly")), "2.4.0"},
        {"macOS only",
         release("2.4.0", {}, R"(sparkle:os="macos")") +
             release("2.9.0", {}, R"(sparkle:os="windows")"),
         "2.4.0"},
        {"system too old", release("2.9.0", with("minimumSystemVersion", "17.0.0")), ""},
        {"system new enough", release("2.9.0", with("minimumSystemVersion", "17.0.0")), "2.9.0",
         false, "17.0"},
        {"system too new", release("2.9.0", with("maximumSystemVersion", "2.0.0")), ""},
        {"system at the maximum", release("2.9.0", with("maximumSystemVersion", "15.2.0")),
         "2.9.0"},
        {"delta alone", release("2.9.0", {}, R"(sparkle:deltaFrom="2.3")"), ""},
        {"not from this version", release("2.9.0", with("minimumUpdateVersion", "2.5.0")), ""},
        {"minor release before a major upgrade",
         release("3.0.0", with("minimumAutoupdateVersion", "3.0.0")) + release("2.4.0"), "2.4.0"},
        {"major upgrade alone", release("3.0.0", with("minimumAutoupdateVersion", "3.0.0")),
         "3.0.0"},
        {"informational", release("2.4.0", link + with("informationalUpdate", {})), "2.4.0", true},
        {"informational below 2.4",
         release("2.4.0", with("informationalUpdate", with("belowVersion", "2.4"))), "2.4.0", true},
        {"informational for another version",
         release("2.4.0", with("informationalUpdate", with("version", "2.2.0"))), "2.4.0"},
        {"no enclosure", release("2.4.0", link, nullptr), "2.4.0", true},
    };
    for (const auto& c : cases) {
        const ParsedFeed feed = parseAppcast(appcast(c.items));
        ASSERT_TRUE(feed.error.isEmpty()) << c.rule << ": " << feed.error.toStdString();
        const auto update = chooseUpdate(feed.items, {"2.3.0", c.system});
        EXPECT_EQ(update ? update->version : QString(), c.offered) << c.rule;
        EXPECT_EQ(update && update->informational, c.informational) << c.rule;
    }
}

// The system version comes from the sim directory: 26.0 may install 2.5.0, anything else only
// reads about 2.4.0.
TEST(FeedChecker, TellsNewerForThisSystemMalformedAndUnreachableApart) {
    test::LocalHttpServer broken(200, "<rss><channel><item>"), missing(404, "gone"),
        forTahoe(200, appcast(release("2.5.0", with("minimumSystemVersion", "26.0")) +
                              release("2.4.0", "<link>https://x.invalid/2.4</link>", nullptr)));
    const test::TempDir sim;
    const auto check = [&sim](const QUrl& feed) {
        FeedChecker checker(feed, "2.3.0", sim.path());
        std::optional<FeedChecker::Outcome> result;
        checker.check([&](const FeedChecker::Outcome& outcome) { result = outcome; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 20000)) << "no answer";
        return result.value_or(FeedChecker::Outcome{});
    };
    EXPECT_TRUE(check(broken.url()).error.startsWith("The update feed could not be read"));
    EXPECT_EQ(check(missing.url()).kind, Kind::failed);
    const auto refused = check(test::unreachableUrl());
    EXPECT_EQ(refused.kind, Kind::failed);
    EXPECT_FALSE(refused.error.isEmpty());
    EXPECT_TRUE(UpdateResultWindow::texts(refused, "2.3.0").second.endsWith(refused.error));

    for (const char* content : {"", "26.0\n", "Tahoe"}) {
        if (*content) {
            sim.write(osVersionFileName, content);
        }
        const bool tahoe = std::string_view(content) == "26.0\n";
        const auto outcome = check(forTahoe.url());
        EXPECT_EQ(outcome.kind, tahoe ? Kind::updateAvailable : Kind::informational) << content;
        EXPECT_EQ(outcome.version, tahoe ? "2.5.0" : "2.4.0") << content;
    }
}

// A scheduled check is quiet when there is no news; a check on request always answers.
TEST(SimUpdater, ChecksEveryThirtyDaysWhileOnShowingOnlyNewsButAnswersEveryCheckOnRequest) {
    const test::TempDir sim;
    test::FakeDefaults defaults;
    test::FakeMainQueue queue;
    std::vector<FeedChecker::Outcome> shown;
    test::LocalHttpServer server(200, olderAndCurrent);
    FeedChecker checker(server.url(), "2.3.0", sim.path());
    SimUpdater updater(
        defaults, queue, checker,
        [&](const FeedChecker::Outcome& outcome) { shown.push_back(outcome); },
        [&] { return 1.0e9 + queue.now(); });
    EXPECT_TRUE(updater.automaticallyChecksForUpdates());
    EXPECT_FALSE(updater.automaticallyDownloadsUpdates());
    updater.start();
    queue.advance(SimUpdater::scheduledCheckInterval - 1.0);
    QTest::qWait(300); // time for a request that should not come
    EXPECT_EQ(server.requests(), 0);
    queue.advance(1.0);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return server.requests() == 1 && updater.checkScheduled(); }, 10000));
    EXPECT_TRUE(shown.empty());

    updater.setAutomaticallyChecksForUpdates(false);
    EXPECT_FALSE(updater.checkScheduled());
    queue.advance(3 * SimUpdater::scheduledCheckInterval);
    updater.checkForUpdates();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 10000));
    EXPECT_EQ(shown.at(0).kind, Kind::upToDate);
    EXPECT_EQ(server.requests(), 2);

    // Turned on again when a check is overdue, it checks at once, and shows what is new.
    queue.advance(2 * SimUpdater::scheduledCheckInterval);
    server.answer(newer);
    updater.setAutomaticallyChecksForUpdates(true);
    queue.advance(0.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() == 2; }, 10000));
    EXPECT_EQ(shown[1].kind, Kind::updateAvailable);
}

} // namespace
} // namespace orvane::sim
