#include "platform/sim/shell/TrayStatusItem.h"

#include <QPainter>

#include "platform/qt/VRAMDot.h"

namespace orvane::sim {

namespace {

constexpr int iconSize = 18;

} // namespace

TrayStatusItem::TrayStatusItem(Bundle& bundle) : bundle_(bundle) {
    QObject::connect(
        &tray_, &QSystemTrayIcon::activated, &tray_,
        [this](QSystemTrayIcon::ActivationReason reason) {
            // Left click arrives as Trigger, right click as Context; both toggle.
            if ((reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context) &&
                action_) {
                action_();
            }
        });
}

bool TrayStatusItem::hasButton() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayStatusItem::setImage(std::string_view imageName) {
    imageName_ = QString::fromUtf8(imageName.data(), static_cast<qsizetype>(imageName.size()));
    image_ = QIcon();
    // The 18-point artwork and its double-resolution twin, when present.
    for (const auto& [suffix, size] : {std::pair{"", iconSize}, std::pair{"@2x", 2 * iconSize}}) {
        const std::string name = std::string(imageName) + suffix;
        if (const auto path = bundle_.pathForResource(name, "png")) {
            image_.addFile(QString::fromStdString(path->string()), QSize(size, size));
        }
    }
    refresh();
}

void TrayStatusItem::setAccessibilityLabel(std::string_view label) {
    tray_.setToolTip(QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())));
}

void TrayStatusItem::setDotHidden(bool hidden) {
    dotHidden_ = hidden;
    refresh();
}

void TrayStatusItem::setAction(std::function<void()> action) {
    action_ = std::move(action);
}

std::optional<ScreenRect> TrayStatusItem::buttonRect() const {
    const QRect geometry = tray_.geometry();
    if (geometry.isEmpty()) {
        return std::nullopt;
    }
    return ScreenRect{geometry.x(), geometry.y(), geometry.width(), geometry.height()};
}

QImage TrayStatusItem::renderedIcon(double devicePixelRatio) const {
    const int pixels = static_cast<int>(iconSize * devicePixelRatio);
    QImage result(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    if (!image_.isNull()) {
        image_.paint(&painter, QRect(0, 0, iconSize, iconSize));
    }
    if (!dotHidden_) {
        painter.drawImage(QRectF(0, 0, iconSize, iconSize), VRAMDot::image(devicePixelRatio));
    }
    return result;
}

void TrayStatusItem::refresh() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(renderedIcon(1.0)));
    icon.addPixmap(QPixmap::fromImage(renderedIcon(2.0)));
    tray_.setIcon(icon);
    if (!tray_.isVisible() && hasButton()) {
        tray_.show();
    }
}

} // namespace orvane::sim
