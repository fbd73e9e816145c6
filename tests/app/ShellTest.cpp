#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/shell/AppDelegate.h"
#include "app/shell/TermsWindow.h"
#include "platform/sim/DirectoryBundle.h"
#include "tests/app/ShellFakes.h"
#include "tests/limit/LimitFakes.h"
#include "tests/support/TempDir.h"

namespace orvane::test {
namespace {

// The delegate on fakes, with a bundle folder holding the two documents.
class ShellTest : public ::testing::Test {
protected:
    ShellTest() {
        resources.write("privacy_policy.txt", "We keep nothing.");
        resources.write("terms_of_use.txt", "Use it kindly.");
    }

    AppDelegate& launch() {
        delegate = std::make_unique<AppDelegate>(ShellServices{
            .defaults = harness.defaults,
            .bundle = bundle,
            .makeStatusItem =
                [this] {
                    auto item = std::make_unique<FakeStatusItem>();
                    item->button = trayAvailable;
                    statusItem = item.get();
                    return item;
                },
            .makeUpdater = [] { return std::make_unique<FakeUpdater>(); },
            .makeModel = [this] { return harness.makeModel(AppDelegate::shared); },
            .makeAccessory = [this] { ++accessoryCalls; },
            .activate = [] {},
            .terminate = [this] { ++terminations; },
            .afterStatusItem = [this] { afterStatusItem.push_back(statusItem != nullptr); },
        });
        delegate->applicationDidFinishLaunching();
        return *delegate;
    }

    ModelHarness harness;
    TempDir resources;
    sim::DirectoryBundle bundle{resources.path(), {{"CFBundleShortVersionString", "2.3.0"}}};
    std::unique_ptr<AppDelegate> delegate;
    FakeStatusItem* statusItem = nullptr;
    bool trayAvailable = true;
    int accessoryCalls = 0;
    int terminations = 0;
    std::vector<bool> afterStatusItem; // whether the item existed when the launch's work ran
};

TEST_F(ShellTest, OnlyTheExactTermsVersionSkipsTheTermsWindow) {
    using Case = std::pair<std::optional<std::string>, bool>;
    const Case cases[] = {
        {std::nullopt, false}, {"2026-10-22", true}, {"2025-01-01", false}, {"2026-10-22 ", false}};
    for (const auto& [stored, agreed] : cases) {
        harness.defaults.values.clear();
        if (stored) {
            harness.defaults.setString("agreedTermsVersion", *stored);
        }
        harness.defaults.setBool("userAgreedToTerms", true); // never consulted
        statusItem = nullptr;
        afterStatusItem.clear();
        launch();
        EXPECT_EQ(statusItem != nullptr, agreed) << stored.value_or("(none)");
        EXPECT_EQ(afterStatusItem, agreed ? std::vector{true} : std::vector<bool>{});
        EXPECT_EQ(delegate->termsWindow() != nullptr, !agreed);
        EXPECT_EQ(AppDelegate::shared, delegate.get());
        EXPECT_GE(accessoryCalls, 1);
    }
}

// The icon and its dot follow the last known limit; every opening gets a fresh popover, and
// without a tray the popover opens as a window.
TEST_F(ShellTest, TheIconFollowsTheLimitEveryOpeningIsFreshAndWithoutATrayItIsAWindow) {
    harness.defaults.setString("agreedTermsVersion", "2026-10-22");
    launch();
    using Case = std::pair<std::optional<double>, bool>;
    const Case cases[] = {{std::nullopt, false}, {0.0, false}, {0.5, true},
                          {-3.0, false},         {NAN, false}, {14.0, true}};
    for (const auto& [stored, active] : cases) {
        harness.defaults.values.erase("lastKnownVRAMGB");
        if (stored) {
            harness.defaults.setDouble("lastKnownVRAMGB", *stored);
        }
        delegate->updateStatusIcon();
        EXPECT_EQ(statusItem->image, active ? "MenuIcon_Active" : "MenuIcon");
        EXPECT_EQ(statusItem->label, active ? "Orvane, custom VRAM active" : "Orvane");
        EXPECT_EQ(statusItem->dotHidden, !active);
    }

    ASSERT_TRUE(statusItem->action);
    statusItem->action(); // open
    ContentView* first = delegate->contentView();
    ASSERT_TRUE(delegate->popover().isShown());
    EXPECT_EQ(harness.queue.pendingTimers(), 2u); // the one-second refresh and the approval timer
    first->model().toggleMoreSettings();
    first->model().setCustomAllocation(12.0);
    statusItem->action(); // close: the content stays until the next opening, its timers stop
    EXPECT_FALSE(delegate->popover().isShown());
    EXPECT_EQ(delegate->contentView(), first);
    harness.queue.advance(1.0);
    EXPECT_EQ(harness.queue.pendingTimers(), 0u);

    statusItem->action(); // open again
    ContentView* second = delegate->contentView();
    EXPECT_NE(second, nullptr);
    EXPECT_FALSE(second->model().showMoreSettings());
    EXPECT_EQ(second->model().customAllocation(), 8.0);

    trayAvailable = false; // without a tray the popover opens at launch, as a window
    launch();
    EXPECT_TRUE(delegate->popover().isShown());
    EXPECT_TRUE(statusItem->image.empty());
    EXPECT_FALSE(statusItem->action);
}

TEST_F(ShellTest, AgreeingInstallsTheStatusItemDecliningQuitsClosingOnlyCloses) {
    launch();
    TermsWindow* terms = delegate->termsWindow();
    ASSERT_TRUE(terms);
    // Titled and closable only, and of one size.
    EXPECT_EQ(terms->windowFlags() &
                  (Qt::WindowMinMaxButtonsHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
              Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    EXPECT_EQ(terms->minimumSize(), terms->maximumSize());
    terms->showMinimized(); // a window manager's doing: it comes straight back
    ASSERT_TRUE(QTest::qWaitFor([terms] { return !terms->isMinimized() && terms->isVisible(); }));
    EXPECT_EQ(terms->findChild<QLabel*>("documentText")->text(), "We keep nothing.");
    terms->findChild<QPushButton*>("termsTab")->click();
    EXPECT_EQ(terms->findChild<QLabel*>("documentText")->text(), "Use it kindly.");

    terms->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(terms));
    QTest::keyClick(terms, Qt::Key_Return); // Return agrees
    EXPECT_EQ(harness.defaults.stringValue("agreedTermsVersion"), "2026-10-22");
    EXPECT_EQ(harness.defaults.boolValue("userAgreedToTerms"), true);
    EXPECT_EQ(afterStatusItem, std::vector{true}); // the status item, then the launch's work
    EXPECT_EQ(terminations, 0);

    // Declining quits without storing anything.
    harness.defaults.values.clear();
    statusItem = nullptr;
    launch();
    delegate->termsWindow()->findChild<QPushButton*>("doNotAgree")->click();
    EXPECT_EQ(terminations, 1);
    EXPECT_FALSE(harness.defaults.stringValue("agreedTermsVersion"));

    // The title bar's close button only closes the window: nothing stored, no status item, and
    // the application keeps running until it is ended from outside.
    launch();
    delegate->termsWindow()->close();
    EXPECT_FALSE(delegate->termsWindow()->isVisible());
    EXPECT_EQ(terminations, 1);
    EXPECT_FALSE(harness.defaults.stringValue("agreedTermsVersion"));
    EXPECT_FALSE(statusItem);
}

// A later start of Orvane asks this one to show itself: the terms window while they await an
// answer, else the popover, opened if closed and never closed.
TEST_F(ShellTest, ALaterStartShowsTheTermsWindowOrThePopoverNeverClosingIt) {
    launch();
    delegate->termsWindow()->close();
    delegate->showYourself();
    EXPECT_TRUE(delegate->termsWindow()->isVisible());
    EXPECT_FALSE(statusItem);

    harness.defaults.setString("agreedTermsVersion", "2026-10-22");
    launch();
    delegate->showYourself();
    ASSERT_TRUE(delegate->popover().isShown());
    ContentView* opened = delegate->contentView();
    delegate->showYourself();
    EXPECT_TRUE(delegate->popover().isShown());
    EXPECT_EQ(delegate->contentView(), opened);
}

TEST_F(ShellTest, AMissingDocumentBlanksBothAndBadUtf8ShowsItsSentence) {
    resources.write("privacy_policy.txt", std::string("caf\xC3", 4)); // cut inside a character
    TermsWindow damaged(bundle, {}, {});
    damaged.loadDocuments();
    EXPECT_EQ(damaged.privacyText(), "Unable to load Privacy Policy.");
    EXPECT_EQ(damaged.termsText(), "Use it kindly.");
    std::filesystem::remove(resources / "terms_of_use.txt");
    TermsWindow blank(bundle, {}, {});
    blank.loadDocuments();
    EXPECT_TRUE(blank.privacyText().isEmpty());
    EXPECT_TRUE(blank.termsText().isEmpty());
}

} // namespace
} // namespace orvane::test
