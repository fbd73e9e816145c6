#include <atomic>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <tuple>

#include <QTest>
#include <QThread>

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

// One check of the feed at this address, for a system the sim directory names, waited out.
FeedChecker::Outcome checkOnce(const QUrl& feed, const test::TempDir& sim,
                               std::chrono::milliseconds deadline = FeedChecker::defaultDeadline) {
    FeedChecker checker(feed, "2.3.0", sim.path());
    checker.setDeadline(deadline);
    std::optional<FeedChecker::Outcome> result;
    checker.check([&](const FeedChecker::Outcome& outcome) { result = outcome; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 20000)) << "no answer";
    return result.value_or(FeedChecker::Outcome{});
}

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

    // Hostile feeds end in the feed's error, at once: deep nesting (anywhere, read or skipped)
    // and versions too long to be one.
    const QByteArray deep = QByteArray("<x>").repeated(80000) + QByteArray("</x>").repeated(80000);
    for (const QByteArray& nested :
         {release("2.4.0" + deep), release("2.4.0", "<description>" + deep + "</description>")}) {
        EXPECT_EQ(parseAppcast(appcast(nested)).error,
                  "The update feed could not be read: It nests elements more than 32 deep.");
    }
    EXPECT_TRUE(
        parseAppcast(appcast(release("2.4.0", "<description><p><b>new</b></p></description>")))
            .error.isEmpty());
    const QByteArray manyParts = QByteArray("1.").repeated(200000) + "1";
    for (const QByteArray& item :
         {release(manyParts), release("2.4.0", with("minimumSystemVersion", manyParts)),
          release("2.4.0", with("informationalUpdate", with("belowVersion", manyParts))),
          release("2.4.0", {}, "sparkle:shortVersionString=\"" + manyParts + "\"")}) {
        EXPECT_EQ(parseAppcast(appcast(item)).error,
                  "The update feed lists a version longer than 256 characters.");
    }
    EXPECT_TRUE(
        parseAppcast(appcast(release(QByteArray("1.").repeated(127) + "9"))).error.isEmpty());
}

// Numerically, part by part, a missing number counting as 0; a trailing word is a pre-release;
// from a dash on, nothing counts.
TEST(VersionOrder, ComparesAsSparkleDoes) {
    const std::tuple<const char*, const char*, int> cases[] = {
        {"2.10.0", "2.9.9", 1},
        {"2.3", "2.3.0", 0},
        {"2.3.0", "2.3.1", -1},
        {"2.3.0", "10", -1},
        {"15.2", "15.10", -1},
        {"2.3.0b", "2.3.0a", 1},
        {"1.0b1", "1.0", -1},
        {"1.0", "1.0a", 1},
        {"2.0-rc1", "2.0", 0},
        // Numbers past 2^63 by their digits; non-ASCII digits by their values.
        {"1.9223372036854775808", "1.9223372036854775807", 1},
        {"18446744073709551617", "18446744073709551616", 1},
        {"2.000000000000000000000010", "2.10", 0},
        {"\u0661.\u0663", "1.3", 0},
        {"-", "\"", -1},
        {"", "a", 1}};
    for (const auto& [left, right, order] : cases) {
        EXPECT_EQ(compareVersions(QString::fromUtf8(left), QString::fromUtf8(right)), order)
            << left << " vs " << right;
        EXPECT_EQ(compareVersions(QString::fromUtf8(right), QString::fromUtf8(left)), -order)
            << right << " vs " << left;
    }
}

// Whatever a feed holds, the order is strict: each pair answers both ways alike, and no three
// versions go round in a circle. Short strings of the pieces that versions are made of, where the
// ways to go wrong are densest.
TEST(VersionOrder, IsAStrictOrderOverRandomStrings) {
    const QStringList pieces =
        QString::fromUtf8("0|1|2|00|.|..|-|a|b| |,|\"|\u0663|99999999999999999999").split('|');
    std::mt19937 random(22);
    std::vector<QString> versions(300);
    for (QString& version : versions) {
        for (auto n = random() % 7; n > 0; --n) {
            version += pieces[random() % pieces.size()];
        }
    }
    const auto sign = [](int order) { return (order > 0) - (order < 0); };
    for (const QString& a : versions) {
        for (const QString& b : versions) {
            ASSERT_EQ(sign(compareVersions(a, b)), -sign(compareVersions(b, a)))
                << a.toStdString() << " | " << b.toStdString();
        }
    }
    const std::vector<QString> some(versions.begin(), versions.begin() + 70);
    for (const QString& a : some) {
        for (const QString& b : some) {
            if (compareVersions(a, b) > 0) {
                continue;
            }
            for (const QString& c : some) {
                if (compareVersions(b, c) <= 0) {
                    ASSERT_LE(compareVersions(a, c), 0)
                        << a.toStdString() << " | " << b.toStdString() << " | " << c.toStdString();
                }
            }
        }
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
        {"the first of equals",
         release("2.4.0", {}, R"(sparkle:shortVersionString="2.4 first")") +
             release("2.4", {}, R"(sparkle:shortVersionString="2.4 second")"),
         "2.4 first"},
        {"the running version is no update", release("2.3.0") + release("2.2.0"), ""},
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
    EXPECT_TRUE(checkOnce(broken.url(), sim).error.startsWith("The update feed could not be read"));
    EXPECT_EQ(checkOnce(missing.url(), sim).kind, Kind::failed);
    const auto refused = checkOnce(test::unreachableUrl(), sim);
    EXPECT_EQ(refused.kind, Kind::failed);
    EXPECT_FALSE(refused.error.isEmpty());
    EXPECT_TRUE(UpdateResultWindow::texts(refused, "2.3.0").second.endsWith(refused.error));

    for (const char* content : {"", "26.0\n", "Tahoe"}) {
        if (*content) {
            sim.write(osVersionFileName, content);
        }
        const bool tahoe = std::string_view(content) == "26.0\n";
        const auto outcome = checkOnce(forTahoe.url(), sim);
        EXPECT_EQ(outcome.kind, tahoe ? Kind::updateAvailable : Kind::informational) << content;
        EXPECT_EQ(outcome.version, tahoe ? "2.5.0" : "2.4.0") << content;
    }
}

// Whatever the server does, a check ends with one sentence that says what: a trickle of bytes
// runs into the deadline, and a compressed body is expanded within the feed's limit or refused
// with its reason.
TEST(FeedChecker, EndsEachTransferByItsDeadlineAndExpandsOrRefusesCompressedBodies) {
    const test::TempDir sim;
    const std::chrono::milliseconds deadline(1000);
    test::LocalHttpServer slow(200, newer);
    slow.trickle(100);
    EXPECT_EQ(checkOnce(slow.url(), sim, deadline).error,
              "The update server did not answer in time.");

    const struct {
        QByteArray encoding;
        QByteArray body;
        const char* error; // none: the feed was read
    } cases[] = {
        {"deflate", qCompress(newer).mid(4), ""}, // zlib's own format, without Qt's length
        {"deflate", qCompress(QByteArray(8 << 20, ' ')).mid(4),
         "The update feed is too large once expanded."},
        {"gzip", "plain text",
         "The update feed's compressed body is damaged: incorrect header check."},
        {"gzip", qCompress(newer).mid(4).chopped(8), // cut short
         "The update feed's compressed body is damaged: it ends too early."},
        {"br", newer,
         "The update server sent the feed encoded as \"br\", which Orvane does not read."},
    };
    for (const auto& c : cases) {
        test::LocalHttpServer server(200, c.body);
        server.addHeaders("Content-Encoding: " + c.encoding + "\r\n");
        const auto outcome = checkOnce(server.url(), sim, deadline);
        EXPECT_EQ(outcome.error.toStdString(), c.error) << c.encoding.toStdString();
        EXPECT_EQ(outcome.version, *c.error ? "" : "2.10.0");
    }
}

// The feed is read on a thread of its own and the verdict comes back to the thread that asked,
// which goes on serving its events meanwhile; a checker that goes while a feed is read hears
// nothing more of it.
TEST(FeedChecker, ReadsOffTheAskingThreadAndMayGoWhileReading) {
    test::LocalHttpServer server(200, newer);
    const test::TempDir sim;
    const auto askingThread = std::this_thread::get_id();
    for (const bool checkerStays : {true, false}) {
        // The reader notes whether it runs on the asking thread, then waits to be let go on.
        const auto onAskingThread = std::make_shared<std::atomic<int>>(-1);
        const auto goOn = std::make_shared<std::atomic<bool>>(false);
        auto checker = std::make_unique<FeedChecker>(server.url(), "2.3.0", sim.path());
        checker->setReader([=](const QByteArray& feed, const UpdateHost& host) {
            *onAskingThread = std::this_thread::get_id() == askingThread;
            for (int i = 0; i < 20000 && !*goOn; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            return readFeed(feed, host);
        });
        std::optional<FeedChecker::Outcome> result;
        bool answeredOnAskingThread = false;
        checker->check([&](const FeedChecker::Outcome& outcome) {
            result = outcome;
            answeredOnAskingThread = std::this_thread::get_id() == askingThread;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return *onAskingThread >= 0; }, 20000));
        EXPECT_EQ(*onAskingThread, 0);
        if (!checkerStays) {
            checker.reset();
        }
        *goOn = true;
        // Time for a verdict, or for one that must not come.
        ASSERT_EQ(QTest::qWaitFor([&] { return result.has_value(); }, checkerStays ? 20000 : 300),
                  checkerStays);
        if (checkerStays) {
            EXPECT_EQ(result->version, "2.10.0");
            EXPECT_TRUE(answeredOnAskingThread);
        }
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
