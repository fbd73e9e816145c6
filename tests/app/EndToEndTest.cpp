// The real pieces of the Linux platform together: the first change of a new user, clicked through
// the popover and the stand-in System Settings window, carried out by the real daemon in a
// temporary sim directory; the Qt main queue; the password dialog's own process.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QPushButton>
#include <QTest>

#include "app/popover/ClickableRow.h"
#include "app/popover/ContentView.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/sim/SimKernelLimit.h"
#include "platform/sim/SimPhysicalMemory.h"
#include "platform/sim/helperlink/SimHelperTransport.h"
#include "platform/sim/helperlink/SimServiceManager.h"
#include "platform/sim/limit/PasswordDialogProcess.h"
#include "platform/sim/shell/LoginItemsWindow.h"
#include "tests/limit/LimitFakes.h"
#include "tests/support/DaemonHarness.h"

namespace orvane::test {
namespace {

TEST(EndToEnd, OfferApprovalAndAChangeThroughTheRealDaemon) {
    SimDir dir;
    QtMainQueue queue;
    FakeLog log;
    sim::SimKernelLimit kernel(dir.path());
    sim::SimPhysicalMemory memory(dir.path());
    sim::SimServiceManager registry(dir.path(), sim::Caller::application, [&registry] {
        sim::LoginItemsWindow::open([&registry] { return registry.status(); },
                                    [&registry](bool allowed) { registry.setApproved(allowed); });
    });
    sim::SimHelperTransport transport(dir.path(), ORVANE_HELPER_PATH,
                                      {"ORVANE_HELPER_IDLE_TIMEOUT=1"});
    HelperManager manager(registry, transport, queue, log);
    FakeDefaults defaults;
    FakeAdminRunner admin;
    FakeLoginItem loginItem;

    ContentView view(std::make_unique<ContentViewModel>(
                         ContentServices{manager, kernel, memory, defaults, queue, admin, loginItem,
                                         log, nullptr, nullptr, "/Applications/Orvane.app"}),
                     ContentViewHost{});
    view.show();
    const auto visible = [&view](const char* name) {
        QWidget* widget = view.findChild<QWidget*>(name);
        return widget && widget->isVisibleTo(&view);
    };

    view.findChild<ClickableRow*>("presetRow2")->click(); // 12 GB
    ASSERT_TRUE(visible("statusOffer"));

    view.findChild<QPushButton*>("turnOn")->click();
    EXPECT_TRUE(visible("statusApproval"));
    sim::LoginItemsWindow* settings = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        settings = settings ? settings : qobject_cast<sim::LoginItemsWindow*>(window);
    }
    ASSERT_TRUE(settings && settings->isVisible()) << "registering should open Login Items";
    auto* allow = settings->findChild<QCheckBox*>("loginItemAllow");
    ASSERT_TRUE(allow && allow->isVisibleTo(settings));

    allow->click(); // the user allows OrvaneHelper
    ASSERT_TRUE(QTest::qWaitFor([&] { return dir.limit() == "12288\n"; }, 15000)) << dir.limit();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !visible("statusBusy") && !visible("statusApproval"); }, 15000));
    EXPECT_FALSE(visible("statusError"));
    EXPECT_EQ(defaults.doubleValue("lastKnownVRAMGB"), 12.0); // read back
    EXPECT_TRUE(admin.sources.empty());                       // no password was asked for

    settings->showMinimized();
    registry.openSystemSettingsLoginItems(); // "Open System Settings" again
    EXPECT_FALSE(settings->isMinimized());
    settings->close();
}

// A modal dialog's event loop runs no deferred deletes: a cancelled timer must be stopped at once.
TEST(QtMainQueue, ACancelledTimerStaysQuietInANestedEventLoop) {
    QtMainQueue queue;
    int cancelledRuns = 0;
    bool laterRan = false;
    QEventLoop outer;
    queue.post([&] {
        queue.cancel(queue.every(0.001, [&] { ++cancelledRuns; }));
        queue.cancel(queue.after(0.0, [&] { ++cancelledRuns; }));
        QEventLoop nested;
        queue.after(0.05, [&] {
            laterRan = true;
            nested.quit();
        });
        nested.exec();
        outer.quit();
    });
    outer.exec();
    EXPECT_TRUE(laterRan);
    EXPECT_EQ(cancelledRuns, 0);
}

// The application waits for its password dialog, a process of its own, as a Mac's application
// waits for the system's: nothing queued runs meanwhile, and every end of the dialog is told.
TEST(PasswordDialogProcess, BlocksTheMainThreadUntilTheDialogEndsHoweverItEnds) {
    QtMainQueue queue;
    bool queuedRan = false;
    queue.post([&] { queuedRan = true; });
    queue.after(0.0, [&] { queuedRan = true; });
    const char* dialog = ORVANE_PASSWORD_DIALOG_PATH;
    const std::string prefix = "The password dialog ";
    using Env = std::vector<std::string>;
    using Row = std::tuple<const char*, Env, double, bool, std::optional<std::string>>;
    for (const auto& [program, environment, deadline, ok, failure] :
         {Row{dialog, {"ORVANE_PASSWORD_DIALOG_ANSWER=ok"}, 300, true, {}},
          Row{dialog, {"ORVANE_PASSWORD_DIALOG_ANSWER=cancel"}, 300, false, {}},
          Row{dialog, {}, 0.5, false, prefix + "was not answered in time."}, // nobody answers
          Row{dialog, {"QT_QPA_PLATFORM=none"}, 300, false, prefix + "ended without an answer."},
          Row{"/nonexistent/dialog", {}, 300, false, prefix + "could not be shown."}}) {
        const auto answer =
            sim::PasswordDialogProcess(program, environment, deadline).ask("Prompt.");
        EXPECT_EQ(answer.ok, ok) << failure.value_or("answered");
        EXPECT_EQ(answer.failure, failure);
    }
    EXPECT_FALSE(queuedRan);
    QCoreApplication::processEvents();
    EXPECT_TRUE(queuedRan);
}

} // namespace
} // namespace orvane::test
