#include <gtest/gtest.h>

#include "app/popover/RoundedShapes.h"
#include "app/shell/PopoverWindow.h"
#include "platform/qt/VRAMDot.h"

namespace orvane {
namespace {

int curveCount(const QPainterPath& path) {
    int curves = 0;
    for (int i = 0; i < path.elementCount(); ++i) {
        curves += path.elementAt(i).type == QPainterPath::CurveToElement ? 1 : 0;
    }
    return curves;
}

// Which corners are rounded shows in every screenshot of the bar; what the pictures do not show is
// a segment too narrow or empty for the radius.
TEST(RoundedShapes, ShrinkTheRadiusForNarrowAndEmptyRectangles) {
    // A segment narrower than two radii gets half its width; an empty one has no curve at all.
    for (const auto& [rect, radius] :
         {std::pair{QRectF(0, 0, 6, 25), 3.0}, std::pair{QRectF(10, 0, 0, 25), 0.0},
          std::pair{QRectF(0, 0, 260, 0), 0.0}, std::pair{QRectF(), 0.0}}) {
        EXPECT_EQ(effectiveRadius(5, rect), radius);
        EXPECT_EQ(LeftRoundedShape{5}.path(rect).boundingRect(), rect);
        EXPECT_EQ(curveCount(LeftRoundedShape{5}.path(rect)) > 0, radius > 0);
        EXPECT_EQ(curveCount(RightRoundedShape{5}.path(rect)) > 0, radius > 0);
    }
}

TEST(VRAMDot, TouchesTheTopAndRightEdgesOfItsSquare) {
    const QImage image = VRAMDot::image(2.0);
    EXPECT_EQ(image.size(), QSize(36, 36));
    for (const QPoint inside : {QPoint(29, 6), QPoint(29, 0), QPoint(35, 6)}) {
        EXPECT_GT(qAlpha(image.pixel(inside)), 200) << inside.x() << "," << inside.y();
    }
    EXPECT_EQ(qAlpha(image.pixel(4, 30)), 0);  // far from it
    EXPECT_EQ(qAlpha(image.pixel(35, 35)), 0); // below it on the right edge
}

// Centred a little below the icon and kept on screen; above a panel at the bottom, upward; with no
// icon geometry (StatusNotifierItem), at the pointer. Its room is what that side of the free area
// leaves, and a popover taller than that (a screen too small for its shortest form) still never
// covers the icon, which closes it.
TEST(PopoverPlacement, HangsBelowTheIconNeverOverItWithinTheRoomThereIs) {
    using Row = std::tuple<std::optional<ScreenRect>, QPoint, QPoint, int>;
    for (const auto& [icon, pointer, expected, room] :
         {Row{ScreenRect{1000, 0, 24, 24}, {}, {1012 - 145, 28}, 1080 - 28},
          Row{ScreenRect{1900, 0, 20, 24}, {}, {1920 - 290, 28}, 1080 - 28},
          Row{ScreenRect{500, 1050, 30, 30}, {}, {515 - 145, 1050 - 4 - 500}, 1046},
          Row{std::nullopt, {10, 10}, {0, 14}, 1080 - 14},
          Row{ScreenRect{}, {1900, 1070}, {1920 - 290, 1070 - 4 - 500}, 1066}}) {
        const QRect screen(0, 0, 1920, 1080);
        EXPECT_EQ(PopoverWindow::placement({290, 500}, icon, pointer, screen), expected);
        EXPECT_EQ(PopoverWindow::room(icon, pointer, screen), room);
    }
    const ScreenRect inMenuBar{1000, 0, 24, 24};
    const QRect belowMenuBar(0, 25, 1280, 775);
    EXPECT_EQ(PopoverWindow::room(inMenuBar, {}, belowMenuBar), 800 - 28);
    EXPECT_EQ(PopoverWindow::placement({290, 900}, inMenuBar, {}, belowMenuBar).y(), 28);
}

} // namespace
} // namespace orvane
