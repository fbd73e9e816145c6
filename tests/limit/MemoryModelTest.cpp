#include <cerrno>
#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/limit/GpuMemoryFigures.h"
#include "app/limit/Presets.h"
#include "app/limit/Sizes.h"
#include "tests/limit/LimitFakes.h"

namespace orvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The variable answers in four bytes (signed 32-bit) or eight (signed 64): the figures and the bar
// follow either, never below zero and never wrapping, and the value is kept for the icon. A failed
// read is logged and falls back to the stored value, or to zero.
TEST(MemoryModel, ReadsFourOrEightSignedBytesIntoFiguresAndBarOrFallsBackToTheStoredValue) {
    using Row = std::tuple<std::int64_t, std::size_t, double, const char*, const char*, double>;
    for (const auto& [megabytes, length, gb, reserved, allocated, reservedWidth] :
         std::initializer_list<Row>{
             {14336, 4, 14.0, "2 GB", "14 GB", 32.5},
             {10000, 4, 9.765625, "7 GB", "9 GB", 113.75},
             {-1024, 4, -1.0, "16 GB", "0 GB", 260.0},
             {0, 8, 0.0, "System Managed", "System Managed", 260.0},
             {-24576, 8, -24.0, "16 GB", "0 GB", 260.0},
             {6000000000, 8, 5859375.0, "0 GB", "5859375 GB", 0.0},
             {INT64_MAX, 8, 0x1p53, "0 GB", "9007199254740992 GB", 0.0}}) {
        ModelHarness h;
        h.kernel.value = megabytes;
        h.kernel.answerLength = length;
        auto& model = h.open();
        EXPECT_EQ(model.selectedVRAMGB(), gb) << megabytes;
        EXPECT_EQ(h.defaults.get<double>("lastKnownVRAMGB"), gb);
        EXPECT_EQ(model.totalFigureText(), "Total System RAM: 16 GB");
        EXPECT_EQ(model.reservedFigureText(), std::string("Reserved System RAM: ") + reserved);
        EXPECT_EQ(model.allocatedFigureText(), std::string("Allocated VRAM: ") + allocated);
        EXPECT_EQ(model.barWidths().reservedWidth, reservedWidth);
        EXPECT_EQ(model.barWidths().vramWidth, 260.0 - reservedWidth);
    }

    ModelHarness h;
    h.kernel.readError = ENOENT;
    auto& model = h.open();
    EXPECT_EQ(model.currentVRAMGB(), 0.0);
    EXPECT_EQ(h.log.entries().at(0),
              error("vram", "Failed to read VRAM: No such file or directory"));
    h.defaults.setDouble("lastKnownVRAMGB", 14.0);
    EXPECT_EQ(model.readVRAMGB(), 14.0);
    h.defaults.setDouble("lastKnownVRAMGB", NAN); // a hand-edited store must not poison the figures
    EXPECT_EQ(model.readVRAMGB(), 0.0);
    h.defaults.setString("lastKnownVRAMGB", "14");
    EXPECT_EQ(model.readVRAMGB(), 0.0);
    EXPECT_EQ(h.defaults.get<std::string>("lastKnownVRAMGB"), "14"); // nothing written

    // Extreme sizes neither overflow nor misround.
    EXPECT_EQ(integerPart(1e300), INT64_MAX);
    EXPECT_TRUE(sameMegabytes(13313, 13312.5 / 1024)); // halves away from zero
    EXPECT_TRUE(sameMegabytes(-1, -0.5 / 1024));
    EXPECT_FALSE(sameMegabytes(INT64_MAX, 1e300));
}

TEST(MemoryModel, PresetsFollowTheTierAreTruncatedAndInFunModeTakeTheTiersName) {
    EXPECT_THAT(vramOptions(7.9), IsEmpty());
    EXPECT_THAT(vramOptions(8.0), ElementsAre(0, 5, 6));
    EXPECT_THAT(vramOptions(16.0), ElementsAre(0, 10, 12, 14));
    EXPECT_THAT(vramOptions(20.5), ElementsAre(0, 14, 16, 18));
    EXPECT_THAT(vramOptions(36.0), ElementsAre(0, 26, 30, 32, 34));
    EXPECT_THAT(vramOptions(128.0), ElementsAre(0, 118, 120, 122, 124, 126));

    EXPECT_EQ(optionLabel(0, 0, 16.0, true), "Allocate Default VRAM");
    EXPECT_EQ(optionLabel(10, 1, 16.0, false), "Allocate 10 GB VRAM");
    EXPECT_EQ(optionLabel(60, 4, 64.0, true), "Allocate 60 GB VRAM: OMFG No!");
    EXPECT_EQ(optionLabel(6, 1, 8.0, true), "Allocate 6 GB VRAM: Too Much!");
    EXPECT_EQ(optionLabel(14.9, 9, 16.0, true), "Allocate 14 GB VRAM: Option");
}

// Each appearance refreshes the limit a second later; only a change renders.
TEST(MemoryModel, StartsFromTheServicesSetsTheSliderToHalfOnlyOnceAndRefreshesASecondLater) {
    ModelHarness h;
    h.memory.set(gigabytes(36));
    h.service.current = 2;
    h.loginItem.enabled = true;
    auto& model = h.open();
    EXPECT_EQ(model.helperState(), HelperManager::State::needsApproval);
    EXPECT_EQ(model.customAmountText(), "Allocate 18 GB VRAM");
    model.setCustomAllocation(34.0);
    h.loginItem.enabled = false; // switched off elsewhere while the popover was closed
    EXPECT_TRUE(model.launchAtLogin());
    model.onPopoverAppear();
    EXPECT_EQ(model.customAllocation(), 34.0);
    EXPECT_FALSE(model.launchAtLogin());

    const int before = h.renders;
    h.kernel.value = 14336;
    h.queue.advance(0.999);
    EXPECT_EQ(model.currentVRAMGB(), 0.0);
    h.queue.advance(0.001);
    EXPECT_EQ(model.selectedVRAMGB(), 14.0);
    EXPECT_EQ(h.icon.updates, 2);
    EXPECT_EQ(h.renders, before + 1); // the second refresh changed nothing to render
}

TEST(GpuMemoryFigures, RoundHalfUpToOneDecimalAndKeepUnknownsUnknown) {
    constexpr std::uint64_t gb = 1ULL << 30;
    using Decimal = std::pair<std::uint64_t, const char*>;
    for (const auto& [bytes, text] : std::initializer_list<Decimal>{
             {0, "0.0"},
             {13314398618, "12.4"},
             {gb + gb / 4, "1.3"},          // exactly 1.25: half up, where printf would give 1.2
             {gb * 1295 / 100 + 1, "13.0"}, // just above 12.95
             {gb - 1, "1.0"},
             {UINT64_MAX, "17179869184.0"}}) {
        EXPECT_EQ(gigabytesOneDecimal(bytes), text) << bytes;
    }
    EXPECT_EQ(wholeMegabytes(14336ULL * 1048576 + 1048575), 14336);
    EXPECT_EQ(wholeMegabytes(1048575), 0);
    EXPECT_EQ(wholeMegabytes(std::nullopt), std::nullopt);

    using Share = std::tuple<std::optional<std::uint64_t>, double, std::optional<std::int64_t>>;
    for (const auto& [inUse, limitGB, percent] : std::initializer_list<Share>{
             {12 * gb, 30.0, 40},
             {gb * 5120 / 1024, 9.765625, 51}, // 5120 of 10000 MB is 51.2 %
             {33 * gb, 30.0, 110},             // above the limit: shown as it is
             {0, 30.0, 0},
             {std::nullopt, 30.0, std::nullopt},
             {12 * gb, 0.0, std::nullopt}, // system managed: no limit to compare with
             {12 * gb, -1.0, std::nullopt},
             {12 * gb, NAN, std::nullopt},
             {12 * gb, INFINITY, std::nullopt},
             {UINT64_MAX, 1e-300, INT64_MAX}}) { // a hand-edited store neither overflows nor wraps
        EXPECT_EQ(shareOfLimitPercent(inUse, limitGB), percent) << limitGB;
    }

    EXPECT_EQ(gpuMemoryToolTip(13314398618, 9.765625),
              "GPU memory in use: 12.4 GB of 9 GB allowed"); // whole GB, like the figures
}

} // namespace
} // namespace orvane::test
