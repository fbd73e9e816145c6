#include "app/popover/RoundedShapes.h"

#include <algorithm>

namespace orvane {

namespace {

// The square that holds the circle of a corner arc around (cx, cy).
QRectF cornerCircle(double cx, double cy, double r) {
    return {cx - r, cy - r, 2 * r, 2 * r};
}

} // namespace

double effectiveRadius(double radius, const QRectF& rect) {
    return std::max(0.0, std::min({radius, rect.height() / 2, rect.width() / 2}));
}

// Qt measures arc angles in degrees, counter-clockwise as seen on screen, from three o'clock.
QPainterPath LeftRoundedShape::path(const QRectF& rect) const {
    const double r = effectiveRadius(radius, rect);
    QPainterPath path;
    path.moveTo(rect.right(), rect.top());
    path.lineTo(rect.left() + r, rect.top());
    if (r > 0) {
        path.arcTo(cornerCircle(rect.left() + r, rect.top() + r, r), 90, 90); // top to left
    } else {
        path.lineTo(rect.left(), rect.top());
    }
    path.lineTo(rect.left(), rect.bottom() - r);
    if (r > 0) {
        path.arcTo(cornerCircle(rect.left() + r, rect.bottom() - r, r), 180, 90); // left to bottom
    } else {
        path.lineTo(rect.left(), rect.bottom());
    }
    path.lineTo(rect.right(), rect.bottom());
    path.lineTo(rect.right(), rect.top());
    return path;
}

QPainterPath RightRoundedShape::path(const QRectF& rect) const {
    const double r = effectiveRadius(radius, rect);
    QPainterPath path;
    path.moveTo(rect.left(), rect.top());
    path.lineTo(rect.right() - r, rect.top());
    if (r > 0) {
        path.arcTo(cornerCircle(rect.right() - r, rect.top() + r, r), 90, -90); // top to right
    } else {
        path.lineTo(rect.right(), rect.top());
    }
    path.lineTo(rect.right(), rect.bottom() - r);
    if (r > 0) {
        path.arcTo(cornerCircle(rect.right() - r, rect.bottom() - r, r), 0, -90); // right to bottom
    } else {
        path.lineTo(rect.right(), rect.bottom());
    }
    path.lineTo(rect.left(), rect.bottom());
    path.lineTo(rect.left(), rect.top());
    return path;
}

} // namespace orvane
