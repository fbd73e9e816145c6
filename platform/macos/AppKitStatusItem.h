#pragma once

#include "platform/ports/StatusItem.h"

@class NSImageView;
@class NSStatusItem;
@class StatusButtonTarget;

namespace orvane::macos {

// The menu-bar item owned through AppKit directly rather than through QSystemTrayIcon, whose
// status item has aborted on recent macOS when the menu bar delivered a non-mouse event. The
// green dot is a subview centred on the button, over the icon.
class AppKitStatusItem final : public StatusItem {
public:
    AppKitStatusItem();
    ~AppKitStatusItem() override;

    AppKitStatusItem(const AppKitStatusItem&) = delete;
    AppKitStatusItem& operator=(const AppKitStatusItem&) = delete;

    bool hasButton() const override;
    void setImage(std::string_view imageName) override;
    void setAccessibilityLabel(std::string_view label) override;
    void setDotHidden(bool hidden) override;
    void setAction(std::function<void()> action) override;
    std::optional<ScreenRect> buttonRect() const override;

private:
    NSStatusItem* item_;
    NSImageView* dot_;
    // The button holds its target weakly; this keeps it alive.
    StatusButtonTarget* target_ = nullptr;
};

} // namespace orvane::macos
