#pragma once

#include <optional>
#include <string>

namespace orvane {

// The application's own login item (SMAppService.mainAppService on a Mac).
class LoginItem {
public:
    virtual ~LoginItem() = default;

    virtual bool isEnabled() = 0;
    // register when enabled is true, else unregister; the error's description on failure.
    virtual std::optional<std::string> setEnabled(bool enabled) = 0;
};

} // namespace orvane
