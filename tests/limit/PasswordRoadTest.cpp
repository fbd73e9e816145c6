#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/limit/LimitFakes.h"

namespace orvane::test {
namespace {

using ::testing::IsEmpty;

TEST(PasswordRoad, TheScriptIsExactlyOneLine) {
    const std::string prompt = "\" with prompt \"Orvane needs administrator access to change the "
                               "GPU memory limit.\" with administrator privileges";
    const std::string command = "do shell script \"/usr/sbin/sysctl -w iogpu.wired_limit_mb=";
    EXPECT_EQ(ContentViewModel::passwordScriptSource(0), command + "0" + prompt);
    EXPECT_EQ(ContentViewModel::passwordScriptSource(13312), command + "13312" + prompt);
}

TEST(PasswordRoad, EachOutcomeLeavesItsSentenceAndLogLine) {
    using Error = AdminRunner::ScriptError;
    const std::string failureLog = "Setting VRAM limit failed: {}";
    using Row = std::tuple<AdminRunner::Outcome, std::int64_t, std::optional<std::string>, bool>;
    for (const auto& [outcome, readBack, sentence, logs] : std::initializer_list<Row>{
             {{true, {}}, 13312, {}, false},
             {{true, {}}, 0, "The VRAM limit didn't change as expected.", false},
             {{false, {}}, 0, "Couldn't change the VRAM limit.", false},
             {{true, Error{-128, {}, "{}"}}, 0, {}, false},
             {{true, Error{1, "sysctl: unknown oid", "{}"}}, 0, "sysctl: unknown oid", true},
             {{true, Error{{}, {}, "{}"}}, 0, "Couldn't change the VRAM limit.", true},
             {{true, Error{1, "", "{}"}}, 0, "Couldn't change the VRAM limit.", true}}) {
        ModelHarness h;
        auto& model = h.open();
        h.admin.outcome = outcome;
        h.kernel.value = readBack;
        model.applyWithPassword(13312);
        h.queue.advance(0.049);
        EXPECT_EQ(model.busyMessage(), "Waiting for administrator approval…");
        EXPECT_THAT(h.admin.sources, IsEmpty());
        h.queue.advance(0.001);
        EXPECT_EQ(model.busyMessage(), std::nullopt);
        EXPECT_EQ(model.vramError(), sentence);
        EXPECT_EQ(h.icon.updates, 1);
        const auto entries = h.log.entries();
        const bool logged = !entries.empty() && entries.back() == error("vram", failureLog);
        EXPECT_EQ(logged, logs);
    }
}

TEST(PasswordRoad, ACancelledDialogLeavesNoErrorAndTheSelectionReturns) {
    ModelHarness h;
    h.kernel.value = 10240;
    auto& model = h.open();
    h.admin.outcome = {true, AdminRunner::ScriptError{-128, "User canceled.", "{}"}};
    model.selectPreset(14.0);
    model.declineHelperOffer(14336);
    h.queue.advance(0.05);
    EXPECT_EQ(model.vramError(), std::nullopt);
    EXPECT_EQ(model.selectedVRAMGB(), 14.0);
    h.queue.advance(1.0);
    EXPECT_EQ(model.selectedVRAMGB(), 10.0);
}

} // namespace
} // namespace orvane::test
