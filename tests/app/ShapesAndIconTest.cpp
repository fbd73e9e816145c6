#include <gtest/gtest.h>

#include "app/popover/MemoryBar.h"
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

TEST(RoundedShapes, RoundOnlyTheirOwnSideAndShrinkTheRadiusForNarrowAndEmptyRectangles) {
    const QRectF bar(0, 0, 260, 25);
    EXPECT_EQ(effectiveRadius(5, bar), 5);
    const QPainterPath left = LeftRoundedShape{5}.path(bar);
    const QPainterPath right = RightRoundedShape{5}.path(bar);
    EXPECT_EQ(left.boundingRect(), bar);
    EXPECT_EQ(right.boundingRect(), bar);
    // Just inside each corner: cut away where rounded, filled where square.
    for (const QPointF corner : {QPointF(0.5, 0.5), QPointF(0.5, 24.5)}) {
        EXPECT_FALSE(left.contains(corner));
        EXPECT_TRUE(right.contains(corner));
        EXPECT_TRUE(left.contains(corner + QPointF(259, 0)));
        EXPECT_FALSE(right.contains(corner + QPointF(259, 0)));
    }
    // The arcs join the edges: the middle of each rounded corner's arc lies on the outline.
    EXPECT_TRUE(left.contains(QPointF(5 - 5 * 0.7071 + 0.2, 5 - 5 * 0.7071 + 0.2)));

    const QRectF narrow(0, 0, 6, 25);
    EXPECT_EQ(effectiveRadius(5, narrow), 3);
    EXPECT_EQ(LeftRoundedShape{5}.path(narrow).boundingRect(), narrow);
    EXPECT_GT(curveCount(LeftRoundedShape{5}.path(narrow)), 0);
    for (const QRectF& empty : {QRectF(10, 0, 0, 25), QRectF(0, 0, 260, 0), QRectF()}) {
        EXPECT_EQ(effectiveRadius(5, empty), 0);
        EXPECT_EQ(curveCount(LeftRoundedShape{5}.path(empty)), 0);
        EXPECT_EQ(curveCount(RightRoundedShape{5}.path(empty)), 0);
    }
}

TEST(MemoryBar, StacksTheLettersOfANarrowReservedSegment) {
    for (const double width : {32.5, 34.999, 35.0, 97.5}) {
        EXPECT_EQ(MemoryBar::reservedLabel(width).join(' '), width < 35.0 ? "R A M" : "RAM");
    }
}

TEST(VRAMDot, TouchesTheTopAndRightEdgesOfItsSquare) {
    const QRectF disc = VRAMDot::discRect({0, 0, 18, 18});
    EXPECT_DOUBLE_EQ(disc.left(), 11.52);
    EXPECT_EQ(disc.top(), 0.0);
    EXPECT_EQ(disc.right(), 18.0);
    EXPECT_DOUBLE_EQ(disc.width(), 6.48);

    const QImage image = VRAMDot::image(2.0);
    EXPECT_EQ(image.size(), QSize(36, 36));
    EXPECT_GT(qAlpha(image.pixel(36 - 7, 6)), 200); // inside the disc
    EXPECT_EQ(qAlpha(image.pixel(4, 30)), 0);       // far from it
    EXPECT_EQ(qAlpha(image.pixel(35, 35)), 0);      // below it on the right edge
}

TEST(PopoverPlacement, HangsBelowTheIconAndStaysOnScreen) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(290, 500);
    // Centred under the icon, a little below it.
    EXPECT_EQ(PopoverWindow::placement(size, ScreenRect{1000, 0, 24, 24}, {}, screen),
              QPoint(1012 - 145, 28));
    // Near the right edge: pulled back onto the screen.
    EXPECT_EQ(PopoverWindow::placement(size, ScreenRect{1900, 0, 20, 24}, {}, screen),
              QPoint(1920 - 290, 28));
    // A panel at the bottom: the popover opens upward.
    EXPECT_EQ(PopoverWindow::placement(size, ScreenRect{500, 1050, 30, 30}, {}, screen),
              QPoint(515 - 145, 1050 - 4 - 500));
    // No icon geometry (StatusNotifierItem): at the pointer, kept on screen.
    EXPECT_EQ(PopoverWindow::placement(size, std::nullopt, QPoint(10, 10), screen), QPoint(0, 14));
    EXPECT_EQ(PopoverWindow::placement(size, ScreenRect{}, QPoint(1900, 1070), screen),
              QPoint(1920 - 290, 1070 - 4 - 500));
}

} // namespace
} // namespace orvane
