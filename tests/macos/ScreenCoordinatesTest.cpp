#include "platform/macos/ScreenCoordinates.h"

#include <array>
#include <gtest/gtest.h>
#include <utility>

namespace orvane::macos {
namespace {

// The popover opens below the status button; a wrong turn of the vertical axis would put it at
// the bottom of the screen or off it. On a primary screen 982 points high: a 38 × 24 button at
// its top is at Qt's y = 0; the menu bar of a screen arranged above it lies at negative y; a
// screen to the left keeps its negative x; fractional points round to the nearest whole point.
TEST(ScreenCoordinates, TurnsAppKitScreenSpaceIntoQtScreenSpace) {
    const std::pair<CocoaScreenRect, std::array<int, 4>> cases[] = {
        {{1200.0, 958.0, 38.0, 24.0}, {1200, 0, 38, 24}},
        {{100.0, 1982.0, 38.0, 24.0}, {100, -1024, 38, 24}},
        {{-1440.0, 876.0, 30.0, 24.0}, {-1440, 82, 30, 24}},
        {{1200.4, 957.6, 37.6, 24.4}, {1200, 0, 38, 24}}};
    for (const auto& [appKit, qt] : cases) {
        const ScreenRect rect = toQtScreenRect(appKit, 982.0);
        EXPECT_EQ((std::array{rect.x, rect.y, rect.width, rect.height}), qt) << appKit.x;
    }
}

} // namespace
} // namespace orvane::macos
