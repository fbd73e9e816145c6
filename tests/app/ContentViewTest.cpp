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
    void clickRow(const QString& name) { find<ClickableRow>(name)->click(); }
    void click(const QString& name) { find<QAbstractButton>(name)->click(); }

    ModelHarness harness;
    FakeUpdater updater;
    std::unique_ptr<ContentView> view;
    int quits = 0;
};

TEST_F(ContentViewTest, ASmallMachineGetsOnlyTheTitleAndTheWarning) {
    open(static_cast<std::uint64_t>(7.9 * 1073741824.0));
    EXPECT_EQ(text("title"), "Orvane App");
    EXPECT_EQ(
        text("minimumMemoryWarning"),
        QString::fromUtf8("\u26A0\uFE0F Your Mac must have at least 8 GB RAM to run this app."));
    for (const char* absent :
         {"memoryBar", "totalFigure", "presetRow0", "customSlider", "quit", "moreSettings"}) {
        EXPECT_EQ(find(absent), nullptr) << absent;
    }

    open(gigabytes(8));
    EXPECT_EQ(find("minimumMemoryWarning"), nullptr);
    EXPECT_TRUE(find("presetRow2"));
    EXPECT_FALSE(find("presetRow3"));
    EXPECT_EQ(find<QSlider>("customSlider")->maximum(), 2); // 4 to 6 GB in whole steps
}

TEST_F(ContentViewTest, TheBarAndFiguresFollowTheLimit) {
    open();
    auto* bar = find<MemoryBar>("memoryBar");
    EXPECT_TRUE(bar->isSystemManaged());
    EXPECT_EQ(bar->size(), QSize(260, 25));

    harness.kernel.value = 14336;
    view->model().refreshVRAM();
    EXPECT_FALSE(bar->isSystemManaged());
    EXPECT_DOUBLE_EQ(bar->reservedWidth(), 32.5);
    EXPECT_DOUBLE_EQ(bar->vramWidth(), 227.5);
    EXPECT_EQ(bar->size(), QSize(260, 25));
    EXPECT_EQ(text("totalFigure"), "Total System RAM: 16 GB");
    EXPECT_EQ(text("reservedFigure"), "Reserved System RAM: 2 GB");
    EXPECT_EQ(text("allocatedFigure"), "Allocated VRAM: 14 GB");
}

TEST_F(ContentViewTest, TheBarsTooltipReadsTheGpuMemoryOnlyWhenItIsAboutToShow) {
    open();
    auto* bar = find<MemoryBar>("memoryBar");
    const QSize barSize = bar->size();
    const auto hover = [bar] {
        QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), bar->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(bar, &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(hover(), ""); // unknown: no tooltip at all
    EXPECT_EQ(harness.gpu.reads, 1);

    harness.gpu.reading.inUseBytes = 13314398618; // 12.4 GB
    EXPECT_EQ(hover(), "GPU memory in use: 12.4 GB, limit system managed");
    harness.kernel.value = 14336;
    view->model().refreshVRAM();
    EXPECT_EQ(hover(), "GPU memory in use: 12.4 GB of 14 GB allowed");
    harness.gpu.reading.inUseBytes = 14602888806; // read anew each time: 13.6 GB
    EXPECT_EQ(hover(), "GPU memory in use: 13.6 GB of 14 GB allowed");

    const int reads = harness.gpu.reads;
    harness.queue.advance(10.0); // the approval timer ticks; nothing polls the GPU
    EXPECT_EQ(harness.gpu.reads, reads);
    EXPECT_EQ(bar->size(), barSize);
    QToolTip::hideText();
}

TEST_F(ContentViewTest, RowsAndTheCustomHeaderCarryTheirCheckmarks) {
    harness.kernel.value = 12288;
    open();
    EXPECT_EQ(find("presetRow2")->findChild<QLabel*>()->text(), "Allocate 12 GB VRAM");
    EXPECT_TRUE(shown("presetCheckmark2"));
    EXPECT_FALSE(shown("presetCheckmark0"));
    EXPECT_FALSE(shown("customCheckmark")); // the slider starts at 8

    find<QSlider>("customSlider")->setValue(4); // 8 + 4
    EXPECT_EQ(text("customAmount"), "Allocate 12 GB VRAM");
    EXPECT_TRUE(shown("customCheckmark"));
    EXPECT_TRUE(shown("presetCheckmark2"));
}

TEST_F(ContentViewTest, ControlsLockWhileAChangeIsUnderWay) {
    harness.service.current = 1; // password-free changes are on
    open();
    clickRow("presetRow3");
    EXPECT_TRUE(shown("statusBusy"));
    EXPECT_EQ(text("statusBusy"), QString::fromUtf8("Applying\u2026"));
    for (const char* control :
         {"presetRow0", "presetRow3", "customSlider", "setCustomAllocation"}) {
        EXPECT_FALSE(find(control)->isEnabled()) << control;
    }
    clickRow("presetRow1"); // refused while locked
    harness.queue.drain();  // the helper's answer arrives
    EXPECT_EQ(harness.transport.sent, (std::vector<std::int64_t>{14336}));
    EXPECT_FALSE(shown("statusBusy"));
    EXPECT_TRUE(find("presetRow1")->isEnabled());
    EXPECT_TRUE(shown("presetCheckmark3"));
}

TEST_F(ContentViewTest, TheStatusAreaShowsOneThingInItsOrder) {
    open();
    const auto visibleStatus = [this] {
        QStringList visible;
        for (const char* name : {"statusBusy", "statusOffer", "statusApproval", "statusError"}) {
            if (shown(name)) {
                visible << name;
            }
        }
        return visible;
    };
    EXPECT_TRUE(visibleStatus().isEmpty());

    view->model().applyVRAM(15.0);
    EXPECT_EQ(visibleStatus(), QStringList{"statusError"});
    EXPECT_EQ(text("statusError"), "15 GB is outside the allowed range.");

    clickRow("presetRow1"); // first change ever: the offer
    EXPECT_EQ(visibleStatus(), QStringList{"statusOffer"});
    EXPECT_TRUE(harness.admin.sources.empty());

    click("turnOn"); // registration wants approval
    EXPECT_EQ(visibleStatus(), QStringList{"statusApproval"});
    EXPECT_EQ(harness.service.settingsOpened, 1);
    click("openSystemSettings");
    EXPECT_EQ(harness.service.settingsOpened, 2);

    harness.admin.duringRun = [this] { harness.kernel.value = 10240; }; // the user types it
    click("usePasswordInstead");
    EXPECT_EQ(visibleStatus(), QStringList{"statusBusy"});
    EXPECT_EQ(text("statusBusy"), QString::fromUtf8("Waiting for administrator approval\u2026"));
    harness.queue.advance(0.05);
    EXPECT_EQ(harness.admin.sources.size(), 1u);
    EXPECT_TRUE(visibleStatus().isEmpty());
}

TEST_F(ContentViewTest, MoreSettingsOpensFromAnywhereInItsRowAndFunModeOutlivesThePopover) {
    open();
    EXPECT_EQ(find<QLabel>("moreSettingsChevron")->accessibleName(), "chevron.right");
    EXPECT_FALSE(shown("moreSettingsContent"));
    clickRow("moreSettingsRow");
    EXPECT_EQ(find<QLabel>("moreSettingsChevron")->accessibleName(), "chevron.down");
    EXPECT_TRUE(shown("launchAtLogin"));
    EXPECT_EQ(text("versionLine"), "Version 2.3.0");
    EXPECT_FALSE(shown("approvalHint"));
    click("checkForUpdates");
    EXPECT_EQ(updater.checksStarted, 1);

    click("enableFunMode"); // relabels the rows at once
    const auto label = [this](int row) {
        return find(QString("presetRow%1").arg(row))->findChild<QLabel*>()->text();
    };
    EXPECT_EQ(label(1), "Allocate 10 GB VRAM: Way More");
    click("quit");
    EXPECT_EQ(quits, 1);

    open(); // the next opening: collapsed again, fun mode kept
    EXPECT_FALSE(shown("moreSettingsContent"));
    EXPECT_EQ(label(2), "Allocate 12 GB VRAM: Too Much!");
}

TEST_F(ContentViewTest, ThePasswordFreeSwitchShowsTheHintAndDropsAWaitingChange) {
    open();
    clickRow("moreSettingsRow");
    clickRow("presetRow1");
    click("turnOn");
    EXPECT_TRUE(find<QCheckBox>("passwordFree")->isChecked());
    EXPECT_TRUE(shown("approvalHint"));
    EXPECT_TRUE(shown("statusApproval"));

    click("passwordFree"); // off: unregister, drop the held change
    EXPECT_FALSE(find<QCheckBox>("passwordFree")->isChecked());
    EXPECT_FALSE(shown("approvalHint"));
    EXPECT_FALSE(shown("statusApproval"));
    EXPECT_FALSE(shown("statusError"));
    harness.queue.advance(5.0);
    EXPECT_TRUE(harness.transport.sent.empty());
    EXPECT_TRUE(harness.admin.sources.empty());
    EXPECT_TRUE(shown("presetCheckmark0")); // the checkmark is back on the current limit
}

TEST_F(ContentViewTest, KeepLimitSitsUnderPasswordFreeAndSaysWhatItNeeds) {
    harness.kernel.value = 12288;
    harness.service.afterRegister = 1; // registering is allowed at once
    open();
    clickRow("moreSettingsRow");
    // In the order of the section: password-free changes with their approval hint, then this.
    const auto place = [this](const char* name) {
        return find("moreSettingsContent")->layout()->indexOf(find(name));
    };
    EXPECT_EQ(place("keepLimitAfterRestart"), place("approvalOpenSystemSettings") + 1);
    EXPECT_EQ(place("keepLimitCaption"), place("keepLimitAfterRestart") + 1);
    EXPECT_EQ(place("checkForUpdates"), place("keepLimitCaption") + 1);
    EXPECT_EQ(find<QCheckBox>("keepLimitAfterRestart")->text(), "Keep Limit After Restart");
    EXPECT_FALSE(find<QCheckBox>("keepLimitAfterRestart")->isChecked());
    ASSERT_TRUE(shown("keepLimitCaption")); // the helper is off
    EXPECT_EQ(text("keepLimitCaption"), "Needs password-free VRAM changes.");
    EXPECT_EQ(find("keepLimitCaption")->font(), find("versionLine")->font());
    EXPECT_EQ(find("keepLimitCaption")->palette().color(QPalette::WindowText),
              find("versionLine")->palette().color(QPalette::WindowText));

    click("keepLimitAfterRestart"); // allowed before password-free changes are on
    EXPECT_TRUE(find<QCheckBox>("keepLimitAfterRestart")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("launchAtLogin")->isChecked());
    EXPECT_TRUE(harness.loginItem.enabled);
    EXPECT_EQ(harness.defaults.integerValue("keptLimitMB"), 12288);

    click("passwordFree");
    EXPECT_FALSE(shown("keepLimitCaption"));
    open();
    clickRow("moreSettingsRow");
    EXPECT_TRUE(find<QCheckBox>("keepLimitAfterRestart")->isChecked());
    EXPECT_FALSE(shown("keepLimitCaption"));
}

TEST_F(ContentViewTest, UpdateSettingsAreBuiltAfreshWriteOnlyUserChangesAndLineUp) {
    harness.service.current = 1; // no caption under "Keep Limit After Restart"
    open();
    clickRow("moreSettingsRow");
    updater.checks = false;
    updater.downloads = true;
    click("changeUpdateSettings");
    auto* checks = find<QCheckBox>("automaticallyChecks");
    auto* downloads = find<QCheckBox>("automaticallyDownloads");
    ASSERT_TRUE(checks && downloads);
    EXPECT_FALSE(checks->isChecked());
    EXPECT_TRUE(downloads->isChecked());
    EXPECT_FALSE(downloads->isEnabled()); // disabled, still showing its value
    EXPECT_EQ(updater.setterCalls, 0);

    click("changeUpdateSettings");
    EXPECT_EQ(find("updaterSettings"), nullptr);
    updater.checks = true;
    click("changeUpdateSettings");
    checks = find<QCheckBox>("automaticallyChecks");
    EXPECT_TRUE(checks->isChecked()); // read anew from the updater
    EXPECT_EQ(updater.setterCalls, 0);

    checks->click(); // the user turns checks off: downloads keep their value
    EXPECT_FALSE(updater.checks);
    EXPECT_TRUE(updater.downloads);
    EXPECT_FALSE(find<QCheckBox>("automaticallyDownloads")->isEnabled());
    EXPECT_EQ(updater.setterCalls, 1);

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
