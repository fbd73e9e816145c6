#include "app/popover/ClickableRow.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace orvane {

ClickableRow::ClickableRow(Target target, QWidget* parent)
    : QWidget(parent)
    , target_(target)
    , layout_(new QHBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

void ClickableRow::click() {
    if (isEnabled() && action_) {
        action_();
    }
}

bool ClickableRow::hits(const QPoint& point) const {
    if (target_ == Target::wholeRow) {
        return rect().contains(point);
    }
    for (int i = 0; i < layout_->count(); ++i) {
        const QWidget* piece = layout_->itemAt(i)->widget();
        if (piece && piece->isVisible() && piece->geometry().contains(point)) {
            return true;
        }
    }
    return false;
}

void ClickableRow::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton && hits(event->position().toPoint());
    event->setAccepted(pressed_);
}

void ClickableRow::mouseReleaseEvent(QMouseEvent* event) {
    const bool clicked =
        pressed_ && event->button() == Qt::LeftButton && hits(event->position().toPoint());
    pressed_ = false;
    if (clicked) {
        click();
    }
}

void ClickableRow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return) {
        click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace orvane
