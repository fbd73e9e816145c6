#pragma once

#include <optional>

#include <QPointer>
#include <QWidget>

#include "platform/ports/StatusItem.h"

namespace orvane {

// The popover under the status item: a borderless window that stays open when the user clicks
// elsewhere (only the status item closes it) and shows no entry in the task bar. Each opening
// gets new content; the previous content stays attached until it is replaced.
class PopoverWindow final : public QWidget {
    Q_OBJECT
public:
    explicit PopoverWindow(QWidget* parent = nullptr);

    bool isShown() const { return isVisible(); }

    // Replaces the content; the previous content is deleted now.
    void setContent(QWidget* content);
    QWidget* content() const { return content_; }

    // Shows the popover below the status button, or at the pointer when the button's place is
    // unknown, always kept on the screen.
    void showRelativeTo(const std::optional<ScreenRect>& button);

    // For desktops without a tray: the popover as an ordinary window, which quits the
    // application when closed (nothing else could reach it).
    void showAsWindow();

    // Where the popover goes for a button rectangle (or the pointer) on a screen's free area: below
    // the button, or above it when there is more room there (a panel at the bottom). It never
    // covers the button, which must stay there to close it.
    static QPoint placement(const QSize& size, const std::optional<ScreenRect>& button,
                            const QPoint& pointer, const QRect& available);

    // The height there is for the popover on that side of the button, within the free area.
    static int room(const std::optional<ScreenRect>& button, const QPoint& pointer,
                    const QRect& available);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect availableArea() const;
    void place();

    std::optional<ScreenRect> button_;
    QPoint pointer_;
    QPointer<QWidget> content_;
    bool ordinaryWindow_ = false;
};

} // namespace orvane
