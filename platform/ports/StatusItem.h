#pragma once

#include <functional>
#include <optional>
#include <string_view>

namespace orvane {

// A rectangle in screen coordinates, in logical pixels.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The application's item in the menu bar (NSStatusItem on a Mac, a tray icon on Linux): a button
// with an icon image, an accessibility label and the small green dot over the icon.
class StatusItem {
public:
    virtual ~StatusItem() = default;

    // A status item without a button gets no icon, label, dot or action.
    virtual bool hasButton() const = 0;

    // The image of that name from the application's resources; an unknown name clears the image.
    virtual void setImage(std::string_view imageName) = 0;
    virtual void setAccessibilityLabel(std::string_view label) = 0;
    virtual void setDotHidden(bool hidden) = 0;

    // Runs on left and on right mouse up over the button.
    virtual void setAction(std::function<void()> action) = 0;

    // The button's rectangle on screen, when the system tells it.
    virtual std::optional<ScreenRect> buttonRect() const = 0;
};

} // namespace orvane
