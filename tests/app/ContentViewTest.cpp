#include "app/popover/ContentView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QHelpEvent>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolTip>

#include "app/popover/ClickableRow.h"
#include "app/popover/MemoryBar.h"
#include "app/shell/PopoverWindow.h"
#include "app/shell/UpdaterSettingsView.h"
#include "tests/app/ShellFakes.h"
#include "tests/limit/LimitFakes.h"

namespace orvane::test {
namespace {

// One opening of the popover on fakes: the model's harness plus the real view around it.
class ContentViewTest : public ::testing::Test {
protected:
    ContentView& open(std::uint64_t memory = gigabytes(16)) {
        harness.memory.set(memory);
        view.reset();
        ContentViewHost host;
        host.quit = [this] { ++quits; };
        host.moreSettings.checkForUpdates = [this] { updater.checkForUpdates(); };
        host.moreSettings.makeUpdaterSettingsView = [this] {
            return new UpdaterSettingsView(updater);
        };
        host.moreSettings.version = "2.3.0";
        view = std::make_unique<ContentView>(harness.makeModel(&harness.icon), std::move(host));
        view->show(); // appears: reads the limit, starts the approval timer
        return *view;
    }

    template <typename T = QWidget>
    T* find(const QString& name) {
        return view->findChild<T*>(name);
    }
    bool shown(const QString& name) {
        QWidget* widget = find(name);
        return widget && widget->isVisibleTo(view.get());
    }
    QString text(const QString& name) { return find<QLabel>(name)->text(); }
    bool checked(const QString& name) { return find<QCheckBox>(name)->isChecked(); }
    // Which of these widgets the view shows, in the order asked.
    QStringList visible(std::initializer_list<const char*> names) {
        QStringList shownNames;
        for (const char* name : names) {
            if (shown(name)) {
                shownNames << name;
            }
        }
        return shownNames;
    }
    void clickRow(const QString& name) { find<ClickableRow>(name)->click(); }
    void click(const QString& name) { find<QAbstractButton>(name)->click(); }

    ModelHarness harness;
    FakeUpdater updater;
    std::unique_ptr<ContentView> view;
    int quits = 0;
};

TEST_F(ContentViewTest, ASmallMachineGetsOnlyTheWarningAndReadsNothing) {
    harness.kernel.value = 4096;
    open(static_cast<std::uint64_t>(7.9 * 1073741824.0));
    EXPECT_EQ(
        text("minimumMemoryWarning"),
        QString::fromUtf8("\u26A0\uFE0F Your Mac must have at least 8 GB RAM to run this app."));
    for (const char* absent :
         {"memoryBar", "totalFigure", "presetRow0", "customSlider", "quit", "moreSettings"}) {
        EXPECT_EQ(find(absent), nullptr) << absent;
    }
    EXPECT_EQ(view->model().currentVRAMGB(), 0.0);
    EXPECT_EQ(harness.queue.pendingTimers(), 1u); // the approval timer; no refresh

    open(gigabytes(8));
    EXPECT_EQ(find("minimumMemoryWarning"), nullptr);
    EXPECT_FALSE(find("presetRow3"));                       // 0, 5 and 6 GB only
    EXPECT_EQ(find<QSlider>("customSlider")->maximum(), 2); // 4 to 6 GB in whole steps
}

TEST_F(ContentViewTest, BarFiguresAndCheckmarksFollowTheLimitAndTheTooltipReadsTheGpuWhenShown) {
    open();
    auto* bar = find<MemoryBar>("memoryBar");
    const auto hover = [bar] {
        QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), bar->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(bar, &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    const auto checkmarks = [this] {
        return visible({"presetCheckmark0", "presetCheckmark3", "customCheckmark"});
    };
    EXPECT_TRUE(bar->isSystemManaged());
    EXPECT_EQ(checkmarks(), QStringList{"presetCheckmark0"});
    EXPECT_EQ(hover(), ""); // unknown: no tooltip at all

    harness.gpu.reading.inUseBytes = 13314398618; // 12.4 GB
    EXPECT_EQ(hover(), "GPU memory in use: 12.4 GB, limit system managed");
    harness.kernel.value = 14336;
    view->model().refreshVRAM();
    EXPECT_FALSE(bar->isSystemManaged());
    EXPECT_DOUBLE_EQ(bar->reservedWidth(), 32.5);
    EXPECT_EQ(text("allocatedFigure"), "Allocated VRAM: 14 GB");
    EXPECT_EQ(checkmarks(), QStringList{"presetCheckmark3"}); // the slider starts at 8
    find<QSlider>("customSlider")->setValue(6);               // 8 + 6
    EXPECT_EQ(text("customAmount"), "Allocate 14 GB VRAM");
    EXPECT_EQ(checkmarks(), (QStringList{"presetCheckmark3", "customCheckmark"}));
    EXPECT_EQ(hover(), "GPU memory in use: 12.4 GB of 14 GB allowed");
    harness.gpu.reading.inUseBytes = 14602888806; // read anew each time: 13.6 GB
    EXPECT_EQ(hover(), "GPU memory in use: 13.6 GB of 14 GB allowed");

    const int reads = harness.gpu.reads;
    harness.queue.advance(10.0); // the approval timer ticks; nothing polls the GPU
    EXPECT_EQ(harness.gpu.reads, reads);
    QToolTip::hideText();
}

// Opened from the menu bar, the popover often has not the focus: the bar's tooltip shows on hover
// all the same.
TEST_F(ContentViewTest, TheBarsTooltipShowsOnHoverWhileAnotherWindowHasTheFocus) {
    harness.gpu.reading.inUseBytes = 13314398618; // 12.4 GB
    PopoverWindow popover;
    popover.setContent(new ContentView(harness.makeModel(&harness.icon), {}));
    popover.showRelativeTo(ScreenRect{300, 0, 24, 24});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&popover));
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    ASSERT_FALSE(popover.isActiveWindow());

    auto* bar = popover.findChild<MemoryBar*>("memoryBar");
    QTest::mouseMove(popover.windowHandle(), bar->mapTo(&popover, QPoint(20, 10)));
    EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 3000));
    EXPECT_EQ(QToolTip::text(), "GPU memory in use: 12.4 GB, limit system managed");
    QToolTip::hideText();
}

TEST_F(ContentViewTest, TheStatusAreaShowsOneThingInItsOrderAndTheControlsLockMeanwhile) {
    open();
    const auto status = [this] {
        return visible({"statusBusy", "statusOffer", "statusApproval", "statusError"});
    };
    view->model().applyVRAM(15.0);
    EXPECT_EQ(status(), QStringList{"statusError"});
    EXPECT_EQ(text("statusError"), "15 GB is outside the allowed range.");

    clickRow("presetRow3"); // first change ever: the offer
    EXPECT_EQ(status(), QStringList{"statusOffer"});
    click("turnOn"); // registration wants approval
    EXPECT_EQ(status(), QStringList{"statusApproval"});
    click("openSystemSettings");
    EXPECT_EQ(harness.service.settingsOpened, 2);

    harness.admin.duringRun = [this] { harness.kernel.value = 14336; }; // the user types it
    click("usePasswordInstead");
    EXPECT_EQ(status(), QStringList{"statusBusy"});
    for (const char* control :
         {"presetRow0", "presetRow3", "customSlider", "setCustomAllocation"}) {
        EXPECT_FALSE(find(control)->isEnabled()) << control;
    }
    harness.queue.advance(0.05);
    EXPECT_EQ(harness.admin.sources.size(), 1u);
    EXPECT_TRUE(status().isEmpty());
    EXPECT_TRUE(find("presetRow1")->isEnabled());
}

// While password-free changes are not on, the keep switch's caption says that restoring needs them;
// the switch turns on all the same. Fun mode outlives the popover; the rows line up.
TEST_F(ContentViewTest, MoreSettingsSayWhatTheyNeedReachTheHostOutliveThePopoverAndLineUp) {
    harness.kernel.value = 12288;
    open();
    clickRow("moreSettingsRow");
    EXPECT_EQ(text("versionLine"), "Version 2.3.0");
    click("checkForUpdates");
    EXPECT_EQ(updater.checksStarted, 1);
    click("enableFunMode"); // relabels the rows at once
    const auto label = [this](int row) {
        return find(QString("presetRow%1").arg(row))->findChild<QLabel*>()->text();
    };
    EXPECT_EQ(label(1), "Allocate 10 GB VRAM: Way More");
    ASSERT_TRUE(shown("keepLimitCaption"));
    EXPECT_EQ(text("keepLimitCaption"), "Needs password-free VRAM changes.");
    click("keepLimitAfterRestart");
    EXPECT_TRUE(checked("launchAtLogin"));
    EXPECT_TRUE(harness.loginItem.enabled);

    clickRow("presetRow1");
    click("turnOn"); // registered, waiting for approval
    EXPECT_TRUE(checked("passwordFree"));
    EXPECT_EQ(visible({"approvalHint", "keepLimitCaption", "statusApproval"}),
              (QStringList{"approvalHint", "keepLimitCaption", "statusApproval"}));
    click("passwordFree"); // off: unregister, drop the held change
    EXPECT_FALSE(checked("passwordFree"));
    EXPECT_EQ(visible({"approvalHint", "keepLimitCaption", "statusApproval", "statusError"}),
              QStringList{"keepLimitCaption"});
    harness.queue.advance(5.0);
    EXPECT_TRUE(harness.transport.sent.empty());
    EXPECT_TRUE(harness.admin.sources.empty());
    EXPECT_TRUE(shown("presetCheckmark2")); // the checkmark is back on the current limit

    harness.service.afterRegister = 1; // allowed at once this time
    click("passwordFree");
    EXPECT_FALSE(shown("keepLimitCaption"));
    click("quit");
    EXPECT_EQ(quits, 1);

    open(); // the next opening: fun mode and the switches kept
    EXPECT_EQ(label(2), "Allocate 12 GB VRAM: Too Much!");
    clickRow("moreSettingsRow");
    EXPECT_TRUE(checked("keepLimitAfterRestart"));
    EXPECT_FALSE(shown("keepLimitCaption"));

    // The update settings are built afresh at each unfolding and write only the user's changes.
    updater.checks = false;
    updater.downloads = true;
    click("changeUpdateSettings");
    EXPECT_FALSE(checked("automaticallyChecks"));
    EXPECT_TRUE(checked("automaticallyDownloads"));
    EXPECT_FALSE(find("automaticallyDownloads")->isEnabled()); // disabled, still showing its value

    click("changeUpdateSettings");
    updater.checks = true;
    click("changeUpdateSettings");
    EXPECT_TRUE(checked("automaticallyChecks")); // read anew from the updater
    click("automaticallyChecks"); // the user turns checks off: downloads keep their value
    EXPECT_FALSE(updater.checks);
    EXPECT_TRUE(updater.downloads);
    EXPECT_FALSE(find<QCheckBox>("automaticallyDownloads")->isEnabled());
    EXPECT_EQ(updater.setterCalls, 1); // building the settings wrote nothing

    // Every row in the body style, one spacing apart; the update settings keep their 10 points
    // of padding above.
    ASSERT_TRUE(QTest::qWaitFor([this] {
        const auto* unfolding = view->findChild<QPropertyAnimation*>();
        return !unfolding || unfolding->state() == QAbstractAnimation::Stopped;
    }));
    QCoreApplication::processEvents();
    view->layout()->activate();
    view->adjustSize(); // as the popover's window does
    ASSERT_TRUE(QTest::qWaitFor([this] { return view->height() == view->sizeHint().height(); }));
    const auto top = [this](const char* name) {
        return find(name)->mapTo(view.get(), QPoint()).y();
    };
    const int pitch = top("passwordFree") - top("launchAtLogin");
    const char* rows[] = {"launchAtLogin",          "passwordFree",         "keepLimitAfterRestart",
                          "checkForUpdates",        "changeUpdateSettings", "automaticallyChecks",
                          "automaticallyDownloads", "enableFunMode"};
    for (std::size_t i = 1; i < std::size(rows); ++i) {
        EXPECT_EQ(find(rows[i])->font().toString(), find(rows[0])->font().toString()) << rows[i];
        const int padding = std::string_view(rows[i]) == "automaticallyChecks" ? 10 : 0;
        EXPECT_EQ(top(rows[i]) - top(rows[i - 1]) - padding, pitch) << rows[i];
    }
}

} // namespace
} // namespace orvane::test
