#pragma once

#include "platform/ports/LoginItem.h"

namespace orvane::macos {

// Launch at login for the application itself (the service-management facility's main-app
// service). The user sees and can remove it in System Settings → Login Items. It is the calling
// program's main bundle that registers, so only the application's executable may use it: orvane
// has that executable run "keep on".
class MainAppLoginItem final : public LoginItem {
public:
    bool isEnabled() override;
    std::optional<std::string> setEnabled(bool enabled) override;
};

} // namespace orvane::macos
