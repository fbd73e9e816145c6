#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/limit/LimitFakes.h"

namespace orvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Area = ContentViewModel::StatusArea;
using HelperState = HelperManager::State;

class ApplyFlow : public ::testing::Test, protected ModelHarness {
protected:
    void SetUp() override {
        transport.kernel = &kernel;
        admin.outcome = {}; // the script succeeds; it writes nothing unless a test says so
        open();
    }
    // Puts the first change on hold behind the offer, then answers "Turn On" with the helper
    // awaiting approval.
    void waitForApproval(double gigabytes) {
        model->selectPreset(gigabytes);
        model->turnOnHelper(*model->helperOfferMB());
    }
};

TEST_F(ApplyFlow, TheFirstChangeIsHeldForTheOfferAndNotNowTakesThePasswordRoadForGood) {
    model->selectPreset(12.0);
    EXPECT_EQ(model->helperOfferMB(), 12288);
    EXPECT_EQ(model->statusArea(), Area::offer);
    EXPECT_TRUE(model->controlsLocked());
    EXPECT_EQ(model->selectedVRAMGB(), 12.0);

    model->declineHelperOffer(12288);
    EXPECT_TRUE(model->helperOfferShown());
    EXPECT_EQ(model->busyMessage(), "Waiting for administrator approval…");
    queue.advance(0.05);
    ASSERT_EQ(admin.sources.size(), 1u);
    EXPECT_THAT(transport.sent, IsEmpty());

    model->selectPreset(14.0); // the offer is not made again
    EXPECT_EQ(model->helperOfferMB(), std::nullopt);
    queue.advance(0.05);
    EXPECT_EQ(admin.sources.size(), 2u);
}

TEST_F(ApplyFlow, TurnOnGoesWhereTheRegistrationLeadsIt) {
    struct Case {
        long afterRegister;
        HelperState state;
        std::optional<std::string> busy;
        std::optional<std::int64_t> waiting;
        int settingsOpened;
    };
    for (const Case& c : {Case{0, HelperState::off, "Waiting for administrator approval…", {}, 0},
                          Case{2, HelperState::needsApproval, {}, 10240, 1},
                          Case{1, HelperState::on, "Applying…", {}, 0}}) {
        ModelHarness h;
        h.service.afterRegister = c.afterRegister;
        auto& model = h.open();
        model.selectPreset(10.0);
        model.turnOnHelper(10240);
        EXPECT_EQ(model.helperState(), c.state);
        EXPECT_EQ(model.busyMessage(), c.busy);
        EXPECT_EQ(model.waitingForApprovalMB(), c.waiting);
        EXPECT_EQ(h.service.settingsOpened, c.settingsOpened);
        EXPECT_TRUE(model.helperOfferShown());
        EXPECT_EQ(model.helperOfferMB(), std::nullopt);
    }
}

TEST_F(ApplyFlow, TheHeldChangeGoesThroughTheHelperOneTickAfterApproval) {
    model->startApprovalTimer();
    waitForApproval(14.0);
    queue.advance(1.0);
    EXPECT_EQ(model->statusArea(), Area::approval);
    service.current = 1; // the user allows the helper
    queue.advance(0.5);
    EXPECT_THAT(transport.sent, IsEmpty());
    queue.advance(0.5);
    EXPECT_THAT(transport.sent, ElementsAre(14336));
    EXPECT_EQ(model->waitingForApprovalMB(), std::nullopt);
    EXPECT_EQ(model->busyMessage(), std::nullopt); // the reply came and read back the same value
    EXPECT_EQ(model->vramError(), std::nullopt);
    EXPECT_EQ(kernel.value, 14336);
}

TEST_F(ApplyFlow, ApprovalWithoutAHeldChangeOnlyUpdatesTheSwitch) {
    service.current = 2;
    model->onPopoverAppear();
    model->startApprovalTimer();
    const int before = renders;
    queue.advance(3.0);
    EXPECT_EQ(renders, before); // ticks that change nothing render nothing
    service.current = 1;
    queue.advance(1.0);
    EXPECT_EQ(model->helperState(), HelperState::on);
    EXPECT_THAT(transport.sent, IsEmpty());
}

TEST_F(ApplyFlow, SwitchingOffDropsTheHeldChangeAndTheCheckmarkReturns) {
    waitForApproval(14.0);
    model->setPasswordFree(false);
    EXPECT_EQ(service.unregistered, 1);
    EXPECT_EQ(model->helperState(), HelperState::off);
    EXPECT_EQ(model->statusArea(), Area::none);
    queue.advance(1.0);
    EXPECT_EQ(model->selectedVRAMGB(), 0.0);
    EXPECT_THAT(transport.sent, IsEmpty());
    EXPECT_THAT(admin.sources, IsEmpty());
}

TEST_F(ApplyFlow, TapsAreRefusedWhileBusyOfferedOrWaiting) {
    model->selectPreset(10.0); // offered
    model->selectPreset(12.0);
    EXPECT_EQ(model->helperOfferMB(), 10240);
    model->turnOnHelper(10240); // waiting
    model->applyCustomAllocation();
    EXPECT_EQ(model->waitingForApprovalMB(), 10240);
    model->usePasswordInstead(10240); // busy
    model->selectPreset(14.0);
    queue.advance(0.05);
    EXPECT_EQ(admin.sources.size(), 1u);
    EXPECT_EQ(model->selectedVRAMGB(), 14.0); // only the checkmark moved
    EXPECT_THAT(transport.sent, IsEmpty());
}

TEST_F(ApplyFlow, StaleAnswersToAPromptDoNotStartASecondChange) {
    model->selectPreset(10.0);
    model->declineHelperOffer(10240);
    model->declineHelperOffer(10240);
    model->turnOnHelper(10240);
    queue.advance(0.05);
    EXPECT_EQ(admin.sources.size(), 1u);
    EXPECT_EQ(service.current, 0); // the late "Turn On" registered nothing
}

TEST_F(ApplyFlow, HelperResultsSetTheRightSentence) {
    queue.advance(1.0); // past the appear handler's own refresh
    service.current = 1;
    transport.kernel = nullptr; // the helper says yes but the variable keeps its value
    model->setCustomAllocation(13.0);
    model->applyCustomAllocation();
    EXPECT_EQ(model->busyMessage(), "Applying…");
    queue.drain();
    EXPECT_THAT(transport.sent, ElementsAre(13312));
    EXPECT_EQ(model->vramError(), "The VRAM limit didn't change as expected.");
    EXPECT_EQ(model->selectedVRAMGB(), 13.0);
    queue.advance(1.0);
    EXPECT_EQ(model->selectedVRAMGB(), 0.0);

    model->handleHelperResult(HelperManager::SetResult::rejected, 13823);
    EXPECT_EQ(model->vramError(), "13 GB is outside the allowed range.");
    model->selectPreset(15.5);
    EXPECT_EQ(model->vramError(), "15 GB is outside the allowed range.");
    model->selectPreset(12.0); // the next change starts with a clean slate
    EXPECT_EQ(model->vramError(), std::nullopt);
    EXPECT_EQ(transport.sent.size(), 2u);
}

TEST_F(ApplyFlow, AnUnavailableHelperFallsSilentlyToThePasswordRoad) {
    service.current = 1;
    transport.reachable = false;
    model->selectPreset(0.0);
    queue.drain();
    EXPECT_EQ(model->busyMessage(), "Waiting for administrator approval…");
    EXPECT_EQ(model->vramError(), std::nullopt);
    queue.advance(0.05);
    ASSERT_EQ(admin.sources.size(), 1u);
    EXPECT_THAT(admin.sources[0], ::testing::HasSubstr("iogpu.wired_limit_mb=0\""));
    EXPECT_EQ(model->vramError(), std::nullopt); // read back 0.0: confirmed
}

TEST_F(ApplyFlow, ANewPopoverStartsIdleAndLateBlocksOfTheOldOneDoNothing) {
    service.current = 1;
    model->selectPreset(12.0); // a helper reply on its way
    model->scheduleRefresh();
    model->startApprovalTimer();
    const int icons = icon.updates;
    open();
    EXPECT_EQ(model->statusArea(), Area::none);
    queue.advance(5.0);
    EXPECT_EQ(model->busyMessage(), std::nullopt);
    EXPECT_EQ(icon.updates, icons + 1); // the new model's own refresh only

    model->selectPreset(10.0);
    model.reset(); // the instance goes while its helper reply is queued
    queue.drain();
    EXPECT_EQ(queue.pendingTimers(), 0u);
}

TEST_F(ApplyFlow, OtherControlsDoWhatTheirLabelsSay) {
    model->openSystemSettings();
    EXPECT_EQ(service.settingsOpened, 1);
    model->setEnableFunMode(true);
    EXPECT_EQ(defaults.get<bool>("enableFunMode"), true);
    model->toggleMoreSettings();
    model->toggleUpdateSettings();
    EXPECT_TRUE(model->showMoreSettings() && model->showingUpdateSettings());

    loginItem.error = "Operation not permitted";
    model->setLaunchAtLogin(true);
    EXPECT_TRUE(model->launchAtLogin());
    EXPECT_EQ(log.entries().back(),
              error("app", "Launch at login failed: Operation not permitted"));
}

} // namespace
} // namespace orvane::test
