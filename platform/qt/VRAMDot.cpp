#include "platform/qt/VRAMDot.h"

#include <cmath>

#include <QPainter>

namespace orvane {

QRectF VRAMDot::discRect(const QRectF& image) {
    return {image.right() - diameter, image.top(), diameter, diameter};
}

QImage VRAMDot::image(double devicePixelRatio) {
    const int pixels = static_cast<int>(std::ceil(imageSize * devicePixelRatio));
    QImage result(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(52, 199, 89)); // the system's green
    painter.drawEllipse(discRect({0, 0, imageSize, imageSize}));
    return result;
}

} // namespace orvane
