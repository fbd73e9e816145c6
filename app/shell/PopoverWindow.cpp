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

} // namespace

PopoverWindow::PopoverWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("popover");
    // On a Mac a tool window is a panel, which hides when the application loses focus; the
    // popover must stay until the status item closes it.
    setAttribute(Qt::WA_MacAlwaysShowToolWindow);
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
    QPoint origin;
    if (button && button->width > 0 && button->height > 0) {
        const int centre = button->x + button->width / 2;
        origin = {centre - size.width() / 2, button->y + button->height + gapBelowButton};
        // A panel at the bottom of the screen: open upward instead.
        if (origin.y() + size.height() > available.bottom() + 1) {
            origin.setY(button->y - gapBelowButton - size.height());
        }
    } else {
        origin = {pointer.x() - size.width() / 2, pointer.y() + gapBelowButton};
        if (origin.y() + size.height() > available.bottom() + 1) {
            origin.setY(pointer.y() - gapBelowButton - size.height());
        }
    }
    const int maxX = std::max(available.left(), available.right() + 1 - size.width());
    const int maxY = std::max(available.top(), available.bottom() + 1 - size.height());
    return {std::clamp(origin.x(), available.left(), maxX),
            std::clamp(origin.y(), available.top(), maxY)};
}

void PopoverWindow::showRelativeTo(const std::optional<ScreenRect>& button) {
    button_ = button;
    pointer_ = QCursor::pos();
    adjustSize();
    place();
    show();
    raise();
    activateWindow();
}

void PopoverWindow::place() {
    const QPoint anchor = button_ ? QPoint(button_->x + button_->width / 2, button_->y) : pointer_;
    QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
    move(placement(size(), button_, pointer_, available));
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
