#include "app/popover/MemoryBar.h"

#include <algorithm>

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "app/popover/PopoverTexts.h"
#include "app/popover/RoundedShapes.h"

namespace orvane {

namespace {

// The system's own blue, green and gray.
const QColor reservedColor(0, 122, 255);
const QColor vramColor(52, 199, 89);
const QColor managedColor(142, 142, 147);

QFont barFont(QFont font, int size) {
    font.setPixelSize(size);
    return font;
}

} // namespace

MemoryBar::MemoryBar(QWidget* parent) : QWidget(parent) {
    setFixedSize(static_cast<int>(barWidth), static_cast<int>(barHeight));
    setObjectName("memoryBar");
}

void MemoryBar::setFigures(double reservedWidth, double vramWidth, bool isSystemManaged) {
    reservedWidth_ = reservedWidth;
    vramWidth_ = vramWidth;
    systemManaged_ = isSystemManaged;
    setAccessibleName(isSystemManaged
                          ? popover_text::systemManaged
                          : QString("%1, %2").arg(popover_text::ramLabel, popover_text::vramLabel));
    update();
}

QStringList MemoryBar::reservedLabel(double width) {
    if (width < narrowWidth) {
        return {"R", "A", "M"};
    }
    return {popover_text::ramLabel};
}

bool MemoryBar::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    // Read now, not kept up to date: nothing runs for it while no one hovers.
    const QString text = toolTipSource_ ? toolTipSource_() : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, this);
    }
    return true;
}

void MemoryBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF whole(0, 0, barWidth, barHeight);

    if (systemManaged_) {
        QPainterPath shape;
        shape.addRoundedRect(whole, cornerRadius, cornerRadius);
        painter.fillPath(shape, managedColor);
        painter.setPen(Qt::white);
        painter.setFont(barFont(font(), 9));
        painter.drawText(whole, Qt::AlignCenter, popover_text::systemManaged);
        return;
    }

    // Widths outside the bar (a limit above the memory, set elsewhere) are drawn clamped.
    const double reserved = std::clamp(reservedWidth_, 0.0, barWidth);
    const double vram = std::clamp(vramWidth_, 0.0, barWidth - reserved);
    const QRectF left(0, 0, reserved, barHeight);
    const QRectF right(reserved, 0, vram, barHeight);

    painter.fillPath(LeftRoundedShape{cornerRadius}.path(left), reservedColor);
    painter.fillPath(RightRoundedShape{cornerRadius}.path(right), vramColor);

    painter.setPen(Qt::white);
    const QStringList letters = reservedLabel(reservedWidth_);
    if (letters.size() == 1) {
        painter.setFont(barFont(font(), 9));
        painter.drawText(left, Qt::AlignCenter, letters.front());
    } else {
        painter.setFont(barFont(font(), 6));
        painter.drawText(left, Qt::AlignCenter, letters.join('\n'));
    }
    painter.setFont(barFont(font(), 9));
    painter.drawText(right, Qt::AlignCenter, popover_text::vramLabel);
}

} // namespace orvane
