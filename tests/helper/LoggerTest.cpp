#include "shared/Logger.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(LogMessage, FillsTheSystemLogPlaceholdersInOrder) {
    EXPECT_EQ(formatLogMessage("Rejected wired limit %ld MB", {-5}), "Rejected wired limit -5 MB");
    EXPECT_EQ(formatLogMessage("Helper protocol %ld doesn't match app protocol %ld", {2, 1}),
              "Helper protocol 2 doesn't match app protocol 1");
    EXPECT_EQ(formatLogMessage("Setting wired limit failed: %{public}s", {"Invalid argument"}),
              "Setting wired limit failed: Invalid argument");
    EXPECT_EQ(formatLogMessage("Setting VRAM limit failed: %{public}@", {std::string("{x}")}),
              "Setting VRAM limit failed: {x}");
}

TEST(LogMessage, LeavesOtherPercentSignsAndMissingArgumentsAlone) {
    EXPECT_EQ(formatLogMessage("100%% sure, %d left, %{public}s", {}), "100% sure, %d left, ");
    EXPECT_EQ(formatLogMessage("trailing %", {}), "trailing %");
}

} // namespace
} // namespace orvane
