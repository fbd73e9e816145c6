#include "platform/macos/ScreenCoordinates.h"

#include <array>
#include <gtest/gtest.h>

namespace orvane::macos {
namespace {

std::array<int, 4> corners(const ScreenRect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

// The popover opens below the status button; a wrong turn of the vertical axis would put it at
// the bottom of the screen or off it.
TEST(ScreenCoordinates, TurnsAppKitScreenSpaceIntoQtScreenSpace) {
    constexpr double primaryHeight = 982.0;

    // A 38 × 24 button at the top of the primary screen is at Qt's y = 0.
    EXPECT_EQ(corners(toQtScreenRect({1200.0, 958.0, 38.0, 24.0}, primaryHeight)),
              (std::array{1200, 0, 38, 24}));

    // The menu bar of a screen arranged above the primary one lies at negative y in Qt.
    EXPECT_EQ(corners(toQtScreenRect({100.0, 1982.0, 38.0, 24.0}, primaryHeight)),
              (std::array{100, -1024, 38, 24}));

    // A screen to the left keeps its negative x; only y turns over.
    EXPECT_EQ(corners(toQtScreenRect({-1440.0, 876.0, 30.0, 24.0}, primaryHeight)),
              (std::array{-1440, 82, 30, 24}));

    // Fractional points round to the nearest whole point.
    EXPECT_EQ(corners(toQtScreenRect({1200.4, 957.6, 37.6, 24.4}, primaryHeight)),
              (std::array{1200, 0, 38, 24}));
}

} // namespace
} // namespace orvane::macos
