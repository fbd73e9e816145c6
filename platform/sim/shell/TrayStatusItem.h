#pragma once

#include <QIcon>
#include <QImage>
#include <QSystemTrayIcon>

#include "platform/ports/Bundle.h"
#include "platform/ports/StatusItem.h"

namespace orvane::sim {

// The status item as a system tray icon. The dot cannot be a view of its own in a tray, so it is
// drawn into the icon: the dot's 18 × 18 square is centred on the icon's, as on the Mac.
class TrayStatusItem final : public StatusItem {
public:
    explicit TrayStatusItem(Bundle& bundle);

    bool hasButton() const override;
    void setImage(std::string_view imageName) override;
    void setAccessibilityLabel(std::string_view label) override;
    void setDotHidden(bool hidden) override;
    void setAction(std::function<void()> action) override;
    std::optional<ScreenRect> buttonRect() const override;

    // What the tray shows, for tests and screenshots.
    QImage renderedIcon(double devicePixelRatio = 1.0) const;
    QString toolTip() const { return tray_.toolTip(); }
    bool dotHidden() const { return dotHidden_; }
    const QString& imageName() const { return imageName_; }

private:
    void refresh();

    Bundle& bundle_;
    QSystemTrayIcon tray_;
    QString imageName_;
    QIcon image_;
    bool dotHidden_ = true;
    std::function<void()> action_;
};

} // namespace orvane::sim
