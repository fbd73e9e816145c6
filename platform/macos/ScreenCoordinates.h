#pragma once

#include <cmath>

#include "platform/ports/StatusItem.h"

// Plain arithmetic, free of AppKit, so that it can be checked on any machine.
namespace orvane::macos {

// A rectangle in AppKit's global screen space: the origin is the lower-left corner of the
// primary screen (the one with the menu bar), y grows upward, in points.
struct CocoaScreenRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// Qt counts from the top-left corner of the same primary screen with y growing downward, also in
// points, so only the vertical axis turns over. Points are rounded to the nearest whole one.
inline ScreenRect toQtScreenRect(const CocoaScreenRect& rect, double primaryScreenHeight) {
    const double top = primaryScreenHeight - (rect.y + rect.height);
    return {static_cast<int>(std::lround(rect.x)), static_cast<int>(std::lround(top)),
            static_cast<int>(std::lround(rect.width)), static_cast<int>(std::lround(rect.height))};
}

} // namespace orvane::macos
