#pragma once

#include <QPainterPath>
#include <QRectF>

namespace orvane {

// The outlines of the memory bar's two segments: the left one rounds its left corners, the right
// one its right corners, so that together they read as one rounded bar with a straight seam.
// The radius shrinks to fit narrow or flat rectangles.
struct LeftRoundedShape {
    double radius = 0.0;
    QPainterPath path(const QRectF& rect) const;
};

struct RightRoundedShape {
    double radius = 0.0;
    QPainterPath path(const QRectF& rect) const;
};

// The radius actually drawn: no more than half the height or half the width.
double effectiveRadius(double radius, const QRectF& rect);

} // namespace orvane
