// Keeping the limit after a restart: what every road records, the switch, and the restore road.

#include "app/limit/KeptLimit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/limit/KeptLimitRestore.h"
#include "app/limit/LimitTexts.h"
#include "tests/limit/LimitFakes.h"

namespace orvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Kind = RestoreOutcome::Kind;

TEST(KeptLimit, EveryRoadRecordsAChangeOnlyOnceTheVariableReadsItBack) {
    enum class Road { helper, password };
    // Kept before: 10240; afterwards, the last column.
    using Row = std::tuple<const char*, bool, Road, double, std::function<void(ModelHarness&)>,
                           std::optional<std::int64_t>>;
    for (const auto& [name, keeping, road, gb, arrange, kept] :
         {Row{"helper", true, Road::helper, 12.0, {}, 12288},
          Row{"password", true, Road::password, 14.0, {}, 14336},
          Row{"back to the default", true, Road::helper, 0.0, {}, std::nullopt},
          Row{"keeping off", false, Road::helper, 12.0, {}, 10240},
          Row{"helper said yes, nothing changed", true, Road::helper, 12.0,
              [](ModelHarness& h) { h.transport.kernel = nullptr; }, 10240},
          // The stored fallback matches: no error shows, but nothing was read.
          Row{"read-back failed", true, Road::helper, 12.0,
              [](ModelHarness& h) {
                  h.defaults.setDouble("lastKnownVRAMGB", 12.0);
                  h.kernel.readError = EIO;
              },
              10240}}) {
        ModelHarness h;
        h.defaults.setBool("keepLimitAfterRestart", keeping);
        h.defaults.setInteger("keptLimitMB", 10240);
        h.defaults.setBool("helperOfferShown", true);
        h.service.current = road == Road::helper ? 1 : 0;
        h.admin.duringRun = [&h, mb = std::int64_t(gb * 1024)] { h.kernel.value = mb; };
        auto& model = h.open();
        if (arrange) {
            arrange(h);
        }
        model.selectPreset(gb);
        h.queue.advance(0.05);
        EXPECT_EQ(h.defaults.integerValue("keptLimitMB"), kept) << name;
    }
}

// Restoring happens when Orvane starts: the switch turns on launch at login, shown on even when the
// system refuses, as the Launch at Login switch itself does.
TEST(KeptLimit, TheSwitchTurnsOnLaunchAtLoginAndKeepsTheCustomLimitInForce) {
    using Row = std::tuple<std::int64_t, std::optional<std::int64_t>, std::optional<std::int64_t>>;
    for (const auto& [limit, keptBefore, keptAfter] : std::initializer_list<Row>{
             {12288, {}, 12288}, {12288, 10240, 12288}, {0, {}, {}}, {0, 10240, 10240}}) {
        ModelHarness h;
        h.kernel.value = limit;
        if (keptBefore) {
            h.defaults.setInteger("keptLimitMB", *keptBefore);
        }
        h.loginItem.error = "Operation not permitted";
        auto& model = h.open();
        model.setKeepLimitAfterRestart(true);
        EXPECT_TRUE(model.launchAtLogin());
        EXPECT_THAT(h.log.entries(),
                    ElementsAre(error("app", "Launch at login failed: Operation not permitted")));
        EXPECT_EQ(h.defaults.integerValue("keptLimitMB"), keptAfter) << limit;
        model.setKeepLimitAfterRestart(false); // forgets the kept limit; launch at login stays
        EXPECT_EQ(h.defaults.boolValue("keepLimitAfterRestart"), false);
        EXPECT_EQ(h.defaults.integerValue("keptLimitMB"), std::nullopt);
        EXPECT_TRUE(model.launchAtLogin());
    }
}

// A switch or a change whose setting did not reach storage says so in the error line, once, and
// leaves a change's own error standing.
TEST(KeptLimit, ASettingThatWasNotStoredShowsInTheErrorLine) {
    const std::string unsaved = "Orvane could not save its settings to x.conf: Permission denied.";
    ModelHarness h;
    h.defaults.setBool("helperOfferShown", true);
    h.service.current = 1;
    auto& model = h.open();
    h.defaults.syncError = unsaved;
    model.setKeepLimitAfterRestart(true);
    EXPECT_EQ(model.vramError(), unsaved);
    model.selectPreset(12.0); // a new change clears the line; its kept limit is not stored either
    h.queue.drain();
    EXPECT_EQ(model.vramError(), unsaved);
    EXPECT_EQ(h.kernel.value, 12288);
    h.transport.kernel = nullptr; // the helper says yes, nothing changes
    model.selectPreset(10.0);
    h.queue.drain();
    EXPECT_EQ(model.vramError(), std::string(texts::limitDidNotChange));
    h.defaults.syncError.reset();
    model.setEnableFunMode(true);
    model.selectPreset(12.0);
    h.queue.drain();
    EXPECT_EQ(model.vramError(), std::nullopt);
}

// orvane restore walks the same road in the command line's tests, through the real settings file:
// restored, the helper off, a limit set since, a kept limit above the range, and one that is no
// whole number of megabytes. Here are the rest.
TEST(KeptLimit, RestoreSendsTheKeptLimitThroughTheHelperOnlyWhenTheRestartClearedIt) {
    // A 16 GB machine, where 8 to 14 GB may be kept, and the limit at 0 after the restart.
    using namespace texts;
    struct Row {
        const char* name;
        Kind kind;
        std::vector<std::int64_t> sent = {};
        std::string_view reason = {};
        bool keeping = true;
        std::optional<std::int64_t> kept = 12288;
        long helper = 1;
        std::function<void(ModelHarness&)> arrange = {};
    };
    const Row rows[] = {
        {.name = "restored", .kind = Kind::restored, .sent = {12288}},
        {.name = "keeping off", .kind = Kind::notKeeping, .keeping = false},
        {.name = "nothing kept", .kind = Kind::nothingKept, .kept = std::nullopt},
        {.name = "negative", .kind = Kind::outsideRange, .kept = -1},
        {.name = "too small for custom limits",
         .kind = Kind::outsideRange,
         .kept = 5120,
         .arrange = [](ModelHarness& h) { h.memory.set(gigabytes(7)); }},
        {.name = "helper awaiting approval",
         .kind = Kind::helperNotOn,
         .reason = restoreHelperNeedsApproval,
         .helper = 2},
        {.name = "helper unreachable",
         .kind = Kind::helperFailed,
         .reason = "No connection to the helper could be made.",
         .arrange = [](ModelHarness& h) { h.transport.refuse = true; }},
        {.name = "helper refuses",
         .kind = Kind::outsideRange,
         .sent = {12288},
         .arrange = [](ModelHarness& h) { h.transport.script.status = 22; }},
        {.name = "helper says yes, nothing changes",
         .kind = Kind::didNotChange,
         .sent = {12288},
         .reason = limitDidNotChange,
         .arrange = [](ModelHarness& h) { h.transport.kernel = nullptr; }},
        {.name = "variable unreadable",
         .kind = Kind::limitNotRead,
         .reason = "The GPU memory limit could not be read: No such file or directory",
         .arrange = [](ModelHarness& h) { h.kernel.readError = ENOENT; }},
    };
    for (const Row& row : rows) {
        ModelHarness h;
        h.defaults.setBool("keepLimitAfterRestart", row.keeping);
        if (row.kept) {
            h.defaults.setInteger("keptLimitMB", *row.kept);
        }
        h.service.current = row.helper;
        if (row.arrange) {
            row.arrange(h);
        }
        std::vector<RestoreOutcome> outcomes;
        restoreKeptLimit(
            {h.manager, h.kernel, h.memory, h.defaults, h.log},
            [&outcomes](const RestoreOutcome& outcome) { outcomes.push_back(outcome); });
        h.queue.drain();
        ASSERT_EQ(outcomes.size(), 1u) << row.name;
        EXPECT_EQ(outcomes[0].kind, row.kind) << row.name;
        const std::string reason = row.kind == Kind::outsideRange
                                       ? "The kept limit of " + std::to_string(*row.kept) +
                                             " MB is outside the allowed range on this Mac."
                                       : std::string(row.reason);
        EXPECT_EQ(outcomes[0].reason, reason) << row.name;
        EXPECT_EQ(h.transport.sent, row.sent) << row.name;
        EXPECT_THAT(h.admin.sources, IsEmpty()) << row.name << ": never the password road";
        // The log's two lines are read in the command line's restore test.
        if (row.kind == Kind::restored) {
            EXPECT_EQ(h.defaults.doubleValue("lastKnownVRAMGB"), 12.0); // read back, for the icon
        }
    }
}

} // namespace
} // namespace orvane::test
