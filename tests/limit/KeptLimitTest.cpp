// Keeping the limit after a restart: what every road records, the switch, and the restore road.

#include "app/limit/KeptLimit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/limit/KeptLimitRestore.h"
#include "tests/limit/LimitFakes.h"

namespace orvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Kind = RestoreOutcome::Kind;

TEST(KeptLimit, EveryRoadRecordsAChangeOnlyOnceTheVariableReadsItBack) {
    enum class Road { helper, password };
    struct Row {
        const char* name;
        bool keeping;
        Road road;
        double gigabytes;
        std::function<void(ModelHarness&)> arrange;
        std::optional<std::int64_t> kept; // afterwards; 10240 was kept before
    };
    const Row rows[] = {
        {"helper", true, Road::helper, 12.0, {}, 12288},
        {"password", true, Road::password, 14.0, {}, 14336},
        {"back to the default", true, Road::helper, 0.0, {}, std::nullopt},
        {"default by password", true, Road::password, 0.0, {}, std::nullopt},
        {"keeping off", false, Road::helper, 12.0, {}, 10240},
        {"helper said yes, nothing changed", true, Road::helper, 12.0,
         [](ModelHarness& h) { h.transport.kernel = nullptr; }, 10240},
        {"cancelled", true, Road::password, 12.0,
         [](ModelHarness& h) {
             h.admin.outcome = {true, AdminRunner::ScriptError{-128, {}, ""}};
         },
         10240},
        // The stored fallback happens to match: the popover shows no error, but nothing was read.
        {"read-back failed", true, Road::helper, 12.0,
         [](ModelHarness& h) {
             h.defaults.setDouble("lastKnownVRAMGB", 12.0);
             h.kernel.readError = EIO;
         },
         10240},
    };
    for (const Row& row : rows) {
        ModelHarness h;
        h.defaults.setBool("keepLimitAfterRestart", row.keeping);
        h.defaults.setInteger("keptLimitMB", 10240);
        h.defaults.setBool("helperOfferShown", true);
        h.service.current = row.road == Road::helper ? 1 : 0;
        h.admin.duringRun = [&h, row] {
            h.kernel.value = static_cast<std::int64_t>(row.gigabytes * 1024);
        };
        auto& model = h.open();
        if (row.arrange) {
            row.arrange(h);
        }
        model.selectPreset(row.gigabytes);
        h.queue.advance(0.05);
        EXPECT_EQ(h.defaults.integerValue("keptLimitMB"), row.kept) << row.name;
    }
}

TEST(KeptLimit, TheSwitchTurnsOnLaunchAtLoginAndKeepsTheCustomLimitInForce) {
    struct Row {
        std::int64_t limit;
        std::optional<std::int64_t> keptBefore;
        std::optional<std::int64_t> keptAfter;
    };
    for (const Row& row :
         {Row{12288, {}, 12288}, Row{12288, 10240, 12288}, Row{0, {}, {}}, Row{0, 10240, 10240}}) {
        ModelHarness h;
        h.kernel.value = row.limit;
        if (row.keptBefore) {
            h.defaults.setInteger("keptLimitMB", *row.keptBefore);
        }
        auto& model = h.open();
        const int renders = h.renders;
        model.setKeepLimitAfterRestart(true);
        EXPECT_TRUE(model.keepLimitAfterRestart());
        EXPECT_TRUE(model.launchAtLogin());
        EXPECT_TRUE(h.loginItem.enabled);
        EXPECT_EQ(h.defaults.integerValue("keptLimitMB"), row.keptAfter) << row.limit;
        EXPECT_GT(h.renders, renders);
    }

    ModelHarness h;
    h.kernel.value = 12288;
    h.loginItem.error = "Operation not permitted";
    auto& model = h.open();
    model.setKeepLimitAfterRestart(true);
    EXPECT_TRUE(model.launchAtLogin()); // as the Launch at Login switch itself does
    EXPECT_THAT(h.log.entries(),
                ElementsAre(error("app", "Launch at login failed: Operation not permitted")));
    model.setKeepLimitAfterRestart(false); // forgets the kept limit; launch at login stays
    EXPECT_EQ(h.defaults.boolValue("keepLimitAfterRestart"), false);
    EXPECT_EQ(h.defaults.integerValue("keptLimitMB"), std::nullopt);
    EXPECT_TRUE(model.launchAtLogin());
}

TEST(KeptLimit, RestoreSendsTheKeptLimitThroughTheHelperOnlyWhenTheRestartClearedIt) {
    // A 16 GB machine: 8 to 14 GB may be kept.
    struct Row {
        const char* name;
        Kind kind;
        std::vector<std::int64_t> sent = {};
        std::string reason = {};
        bool keeping = true;
        std::optional<std::int64_t> kept = 12288;
        std::int64_t limit = 0; // after the restart
        long helper = 1;
        std::function<void(ModelHarness&)> arrange = {};
    };
    const std::string outside = " MB is outside the allowed range on this Mac.";
    const Row rows[] = {
        {.name = "restored", .kind = Kind::restored, .sent = {12288}},
        {.name = "keeping off", .kind = Kind::notKeeping, .keeping = false},
        {.name = "nothing kept", .kind = Kind::nothingKept, .kept = std::nullopt},
        {.name = "a limit chosen since", .kind = Kind::alreadySet, .limit = 10240},
        {.name = "above the range",
         .kind = Kind::outsideRange,
         .reason = "The kept limit of 15360" + outside,
         .kept = 15360},
        {.name = "below the range",
         .kind = Kind::outsideRange,
         .reason = "The kept limit of 4096" + outside,
         .kept = 4096},
        {.name = "negative",
         .kind = Kind::outsideRange,
         .reason = "The kept limit of -1" + outside,
         .kept = -1},
        {.name = "a machine too small for custom limits",
         .kind = Kind::outsideRange,
         .reason = "The kept limit of 5120" + outside,
         .kept = 5120,
         .arrange = [](ModelHarness& h) { h.memory.set(gigabytes(7)); }},
        {.name = "helper off",
         .kind = Kind::helperNotOn,
         .reason = "Password-free VRAM changes are off.",
         .helper = 0},
        {.name = "helper awaiting approval",
         .kind = Kind::helperNotOn,
         .reason = "Password-free VRAM changes wait for approval in System Settings \u2192 Login "
                   "Items.",
         .helper = 2},
        {.name = "helper unreachable",
         .kind = Kind::helperFailed,
         .reason = "No connection to the helper could be made.",
         .arrange = [](ModelHarness& h) { h.transport.refuse = true; }},
        {.name = "helper refuses",
         .kind = Kind::outsideRange,
         .sent = {12288},
         .reason = "The kept limit of 12288" + outside,
         .arrange = [](ModelHarness& h) { h.transport.script.status = 22; }},
        {.name = "helper says yes, nothing changes",
         .kind = Kind::didNotChange,
         .sent = {12288},
         .reason = "The VRAM limit didn't change as expected.",
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
        h.kernel.value = row.limit;
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
        EXPECT_EQ(outcomes[0].reason, row.reason) << row.name;
        EXPECT_EQ(h.transport.sent, row.sent) << row.name;
        EXPECT_THAT(h.admin.sources, IsEmpty()) << row.name << ": never the password road";
        const auto entries = h.log.entries();
        const std::vector<LogEntry> vramLines = [&] {
            std::vector<LogEntry> lines;
            std::copy_if(entries.begin(), entries.end(), std::back_inserter(lines),
                         [](const LogEntry& e) { return e.category == "vram"; });
            return lines;
        }();
        if (row.kind == Kind::restored) {
            EXPECT_EQ(h.kernel.value, 12288);
            EXPECT_EQ(h.defaults.doubleValue("lastKnownVRAMGB"), 12.0); // the icon's dot
            EXPECT_THAT(vramLines,
                        ElementsAre(info("vram", "Restored the kept limit of 12288 MB")));
        } else if (row.reason.empty()) {
            EXPECT_THAT(vramLines, IsEmpty()) << row.name;
        } else {
            EXPECT_THAT(vramLines, ElementsAre(error("vram", "Restoring the kept limit failed: " +
                                                                 row.reason)))
                << row.name;
        }
    }
}

} // namespace
} // namespace orvane::test
