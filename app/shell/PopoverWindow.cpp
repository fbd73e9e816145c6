#include "app/shell/PopoverWindow.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace orvane {

namespace {

constexpr int gapBelowButton = 4;

// What the popover hangs from: the button, or the pointer when the button's place is unknown.
struct Anchor {
    int centre;
    int top;
    int bottom; // exclusive
};

Anchor anchorOf(const std::optional<ScreenRect>& button, const QPoint& pointer) {
    if (button && button->width > 0 && button->height > 0) {
        return {button->x + button->width / 2, button->y, button->y + button->height};
    }
    return {pointer.x(), pointer.y(), pointer.y()};
}

int roomBelow(const Anchor& anchor, const QRect& available) {
    return available.y() + available.height() - (anchor.bottom + gapBelowButton);
}

int roomAbove(const Anchor& anchor, const QRect& available) {
    return anchor.top - gapBelowButton - available.y();
}

bool opensBelow(const Anchor& anchor, const QRect& available) {
    return roomBelow(anchor, available) >= roomAbove(anchor, available);
}

} // namespace

PopoverWindow::PopoverWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("popover");
    // On a Mac a tool window is a panel, which hides when the application loses focus; the
    // popover must stay until the status item closes it.
    setAttribute(Qt::WA_MacAlwaysShowToolWindow);
    // The memory bar's tooltip shows on hover whether or not the popover has the focus: opened
    // from the menu bar, it often does not.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void PopoverWindow::setContent(QWidget* content) {
    delete content_;
    content_ = content;
    if (content) {
        layout()->addWidget(content);
    }
}

QPoint PopoverWindow::placement(const QSize& size, const std::optional<ScreenRect>& button,
                                const QPoint& pointer, const QRect& available) {
    const Anchor anchor = anchorOf(button, pointer);
    const int y = opensBelow(anchor, available) ? anchor.bottom + gapBelowButton
                                                : anchor.top - gapBelowButton - size.height();
    const int maxX = std::max(available.left(), available.right() + 1 - size.width());
    return {std::clamp(anchor.centre - size.width() / 2, available.left(), maxX), y};
}

int PopoverWindow::room(const std::optional<ScreenRect>& button, const QPoint& pointer,
                        const QRect& available) {
    const Anchor anchor = anchorOf(button, pointer);
    return std::max(0, opensBelow(anchor, available) ? roomBelow(anchor, available)
                                                     : roomAbove(anchor, available));
}

void PopoverWindow::showRelativeTo(const std::optional<ScreenRect>& button) {
    button_ = button;
    pointer_ = QCursor::pos();
    if (content_) {
        // The content fits itself into the room on the button's screen before it is measured.
        content_->setMaximumHeight(room(button_, pointer_, availableArea()));
        QEvent fit(QEvent::LayoutRequest);
        QCoreApplication::sendEvent(content_, &fit);
    }
    adjustSize();
    place();
    show();
    raise();
    activateWindow();
}

QRect PopoverWindow::availableArea() const {
    const QPoint anchor = button_ ? QPoint(button_->x + button_->width / 2, button_->y) : pointer_;
    QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
}

void PopoverWindow::place() {
    move(placement(size(), button_, pointer_, availableArea()));
}

void PopoverWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The content grows and shrinks as prompts come and go: stay attached and on screen.
    if (!ordinaryWindow_ && isVisible()) {
        place();
    }
}

void PopoverWindow::showAsWindow() {
    ordinaryWindow_ = true;
    setWindowFlags(Qt::Window);
    setWindowTitle("Orvane");
    show();
}

void PopoverWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (ordinaryWindow_) {
        QApplication::quit();
    }
}

} // namespace orvane
