#pragma once

#include <filesystem>

#include "platform/ports/LoginItem.h"
#include "platform/sim/DirectoryBundle.h"

namespace orvane::sim {

// Launch at login on a Linux desktop: an XDG autostart entry that starts the application. Like
// SMAppService.mainAppService it is the caller's own login item, so only the application's
// executable has it: to any other program it reads off and cannot be turned on or off.
class XdgLoginItem final : public LoginItem {
public:
    // $XDG_CONFIG_HOME/autostart/com.halvern.Orvane.desktop, starting /proc/self/exe, for this
    // process, with the application's icon from the resources when the build rendered it.
    XdgLoginItem();
    XdgLoginItem(std::filesystem::path entryFile, std::filesystem::path executable, Caller caller,
                 std::filesystem::path icon = {});

    // The entry exists and is neither hidden nor switched off for GNOME.
    bool isEnabled() override;
    std::optional<std::string> setEnabled(bool enabled) override;

    // The entry's text, or nothing when the program's path cannot be written into one. An icon
    // whose path cannot be written into it is left out.
    static std::optional<std::string> desktopEntry(const std::filesystem::path& executable,
                                                   const std::filesystem::path& icon = {});

private:
    std::filesystem::path entryFile_;
    std::filesystem::path executable_;
    Caller caller_;
    std::filesystem::path icon_;
};

} // namespace orvane::sim
