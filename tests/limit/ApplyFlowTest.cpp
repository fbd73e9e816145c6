// Every road a change from the popover can take: held for the offer, through the helper, waiting
// for approval, and the password road.

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/limit/LimitFakes.h"

namespace orvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Area = ContentViewModel::StatusArea;
using HelperState = HelperManager::State;
constexpr const char* waitingText = "Waiting for administrator approval…";

constexpr auto script = &ContentViewModel::passwordScriptSource;

class ApplyFlow : public ::testing::Test, protected ModelHarness {
protected:
    void SetUp() override {
        open();
        queue.advance(1.0); // past the appear handler's own refresh
    }
};

// "Not Now" stores that the offer was shown; a cancelled dialog is no error, and the refresh puts
// the checkmark back on the limit in force.
TEST_F(ApplyFlow, NotNowTakesThePasswordRoadForGoodAndACancelLeavesTheLimitInForce) {
    kernel.value = 10240;
    admin.outcome = {true, AdminRunner::ScriptError{-128, "User canceled.", "{}"}};
    model->selectPreset(12.0); // offered
    model->declineHelperOffer(12288);
    queue.advance(0.05);
    model->selectPreset(14.0); // no second offer: straight to the password
    queue.advance(0.05);
    EXPECT_THAT(admin.sources, ElementsAre(script(12288), script(14336)));
    EXPECT_THAT(transport.sent, IsEmpty());
    EXPECT_EQ(model->vramError(), std::nullopt);
    queue.advance(1.0);
    EXPECT_EQ(model->selectedVRAMGB(), 10.0);
}

TEST_F(ApplyFlow, TurnOnGoesWhereTheRegistrationLeadsIt) {
    using Row = std::tuple<long, HelperState, std::optional<std::string>, std::optional<long>>;
    for (const auto& [afterRegister, state, busy, waiting] :
         std::initializer_list<Row>{{0, HelperState::off, waitingText, {}},
                                    {2, HelperState::needsApproval, {}, 10240},
                                    {1, HelperState::on, "Applying…", {}}}) {
        ModelHarness h;
        h.service.afterRegister = afterRegister;
        auto& model = h.open();
        model.selectPreset(10.0);
        model.turnOnHelper(10240);
        EXPECT_EQ(model.helperState(), state);
        EXPECT_EQ(model.busyMessage(), busy);
        EXPECT_EQ(model.waitingForApprovalMB(), waiting);
        EXPECT_EQ(h.service.settingsOpened, afterRegister == 2 ? 1 : 0);
        EXPECT_TRUE(model.helperOfferShown());
    }
}

// A copy that is not installed registers nothing by either road: the offer's change is dropped,
// the offer itself comes back for the installed copy, and the switch stays off.
TEST_F(ApplyFlow, OutsideAnApplicationsFolderTurningOnSaysToMoveOrvaneFirst) {
    const std::string move = "Move Orvane to the Applications folder and open it from there to "
                             "turn on password-free changes.";
    bundlePath = "/private/var/folders/x7/T/AppTranslocation/5A1B/d/Orvane.app";
    open();
    model->selectPreset(12.0);
    model->turnOnHelper(12288);
    EXPECT_EQ(model->vramError(), move);
    EXPECT_EQ(model->statusArea(), Area::error);
    EXPECT_FALSE(model->helperOfferShown());
    queue.advance(1.0);
    EXPECT_EQ(model->selectedVRAMGB(), 0.0);

    model->setPasswordFree(true);
    EXPECT_EQ(model->vramError(), move);
    EXPECT_EQ(model->helperState(), HelperState::off);
    EXPECT_EQ(service.current, 0);
    EXPECT_EQ(service.settingsOpened, 0);
    EXPECT_THAT(transport.sent, IsEmpty());
    EXPECT_THAT(admin.sources, IsEmpty());
    const auto entries = log.entries();
    EXPECT_EQ(std::count(entries.begin(), entries.end(),
                         error("app", "Not registering the helper from " + bundlePath.string() +
                                          ", outside an Applications folder")),
              2);
}

TEST_F(ApplyFlow, TheApprovalTickSendsTheHeldChangeAndMovesTheSwitch) {
    model->startApprovalTimer();
    const int before = renders;
    queue.advance(2.0);
    EXPECT_EQ(renders, before); // idle ticks render nothing
    model->selectPreset(14.0);
    model->turnOnHelper(14336);
    queue.advance(1.0);
    EXPECT_EQ(model->statusArea(), Area::approval);
    service.current = 1; // the user allows the helper
    queue.advance(0.5);
    EXPECT_THAT(transport.sent, IsEmpty());
    queue.advance(0.5);
    EXPECT_THAT(transport.sent, ElementsAre(14336));
    EXPECT_EQ(model->statusArea(), Area::none); // the reply came and read back the same value

    // With no change held, the switch follows an approval all the same.
    service.current = 2;
    model->onPopoverAppear();
    service.current = 1;
    queue.advance(1.0);
    EXPECT_EQ(model->helperState(), HelperState::on);
}

TEST_F(ApplyFlow, TapsAndStaleAnswersAreRefusedWhileAChangeIsOpen) {
    model->selectPreset(10.0); // offered
    model->selectPreset(12.0);
    model->turnOnHelper(10240); // waiting
    model->applyCustomAllocation();
    model->usePasswordInstead(10240); // busy
    model->usePasswordInstead(10240);
    model->declineHelperOffer(10240);
    model->turnOnHelper(10240);
    model->selectPreset(14.0);
    EXPECT_EQ(model->waitingForApprovalMB(), std::nullopt);
    queue.advance(0.05);
    EXPECT_THAT(admin.sources, ElementsAre(script(10240)));
    EXPECT_EQ(model->selectedVRAMGB(), 14.0); // only the checkmark moved
}

TEST_F(ApplyFlow, HelperResultsSetTheRightSentence) {
    service.current = 1;
    transport.kernel = nullptr; // the helper says yes but the variable keeps its value
    model->setCustomAllocation(13.0);
    model->applyCustomAllocation();
    queue.drain();
    EXPECT_THAT(transport.sent, ElementsAre(13312));
    EXPECT_EQ(model->vramError(), "The VRAM limit didn't change as expected.");
    queue.advance(1.0);
    EXPECT_EQ(model->selectedVRAMGB(), 0.0);

    model->handleHelperResult(HelperManager::SetResult::rejected, 13823);
    EXPECT_EQ(model->vramError(), "13 GB is outside the allowed range.");
    model->selectPreset(15.5);
    EXPECT_EQ(model->vramError(), "15 GB is outside the allowed range.");
    model->selectPreset(12.0); // the next change starts with a clean slate
    EXPECT_EQ(model->vramError(), std::nullopt);
}

// Each opening builds a new model; a change of the old one still ends as it would have, and the
// openings meanwhile show it under way and start no second one. The helper's answer is
// "unavailable": the password road takes over without a word, in the new opening too.
TEST_F(ApplyFlow, AChangeInFlightShowsInTheNextOpeningUntilItsRoadEnds) {
    service.current = 1;
    transport.script.proxyConforms = false;
    admin.duringRun = [this] { kernel.value = 12288; };
    model->selectPreset(12.0);
    model->startApprovalTimer();
    const int icons = icon.updates;
    open();
    EXPECT_EQ(model->busyMessage(), "Applying…");
    EXPECT_TRUE(model->controlsLocked());
    model->selectPreset(14.0); // refused: the first change is still on its road
    const int rendersBefore = renders;
    queue.drain(); // the helper's answer: the password road, its dialog shown in the new opening
    EXPECT_EQ(model->busyMessage(), waitingText);
    EXPECT_GT(renders, rendersBefore);
    queue.advance(0.05);
    EXPECT_THAT(admin.sources, ElementsAre(script(12288)));
    EXPECT_EQ(defaults.doubleValue("lastKnownVRAMGB"), 12.0); // read back
    EXPECT_EQ(icon.updates, icons + 1);
    EXPECT_EQ(model->statusArea(), Area::none);
    EXPECT_EQ(model->selectedVRAMGB(), 12.0); // the limit the road left, shown at once
    queue.advance(5.0);
    EXPECT_EQ(admin.sources.size(), 1u);
    model.reset();
    queue.advance(2.0);
    EXPECT_EQ(queue.pendingTimers(), 0u);
}

// The script's text is run through the stand-in's strict reading of it in the command line's
// password road, its prompt read there.
TEST(PasswordRoad, EachOutcomeOfTheOneLineScriptLeavesItsSentenceAndLogLine) {
    using Error = AdminRunner::ScriptError;
    const LogEntry failed = error("vram", "Setting VRAM limit failed: {}");
    using Row = std::tuple<AdminRunner::Outcome, std::int64_t, std::optional<std::string>, long>;
    for (const auto& [outcome, readBack, sentence, logged] : std::initializer_list<Row>{
             {{true, {}}, 13312, {}, 0},
             {{true, {}}, 0, "The VRAM limit didn't change as expected.", 0},
             {{false, {}}, 0, "Couldn't change the VRAM limit.", 0},
             {{true, Error{-128, {}, "{}"}}, 0, {}, 0},
             {{true, Error{1, "sysctl: unknown oid", "{}"}}, 0, "sysctl: unknown oid", 1},
             {{true, Error{{}, {}, "{}"}}, 0, "Couldn't change the VRAM limit.", 1},
             {{true, Error{1, "", "{}"}}, 0, "Couldn't change the VRAM limit.", 1}}) {
        ModelHarness h;
        auto& model = h.open();
        h.admin.outcome = outcome;
        h.kernel.value = readBack;
        model.applyWithPassword(13312);
        h.queue.advance(0.049);
        EXPECT_EQ(model.busyMessage(), waitingText);
        EXPECT_THAT(h.admin.sources, IsEmpty());
        h.queue.advance(0.001);
        EXPECT_THAT(h.admin.sources, ElementsAre(script(13312)));
        EXPECT_EQ(model.busyMessage(), std::nullopt);
        EXPECT_EQ(model.vramError(), sentence);
        EXPECT_EQ(h.icon.updates, 1);
        EXPECT_EQ(std::ranges::count(h.log.entries(), failed), logged);
    }
}

} // namespace
} // namespace orvane::test
