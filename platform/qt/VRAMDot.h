#pragma once

#include <QImage>
#include <QRectF>

namespace orvane {

// The small green disc drawn over the status icon while a custom limit is active. It touches the
// top and right edges of an 18 × 18 image.
struct VRAMDot {
    static constexpr double imageSize = 18.0;
    // 18 × 0.36 in double arithmetic: one unit in the last place below 6.48.
    static constexpr double diameter = 18.0 * 0.36;

    // The disc's rectangle in an image of the given size, with y growing downward.
    static QRectF discRect(const QRectF& image);

    // The dot image at the given device pixel ratio.
    static QImage image(double devicePixelRatio = 1.0);

    bool hidden = true;
};

} // namespace orvane
