#pragma once

#include "platform/ports/LoginItem.h"

namespace orvane::macos {

// Launch at login for the application itself (the service-management facility's main-app
// service). The user sees and can remove it in System Settings → Login Items.
class MainAppLoginItem final : public LoginItem {
public:
    bool isEnabled() override;
    std::optional<std::string> setEnabled(bool enabled) override;
};

} // namespace orvane::macos
