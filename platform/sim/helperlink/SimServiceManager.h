#pragma once

#include <filesystem>
#include <functional>

#include "platform/ports/ServiceManager.h"
#include "platform/sim/DirectoryBundle.h"

namespace orvane::sim {

// The daemon's registration kept in the sim directory (see ServiceRecord.h). Registering asks for
// the user's approval unless it was given before; approving, here or by creating helper.approved,
// enables the daemon; unregistering forgets both. Like SMAppService it answers the application's
// executable only: to any other caller the daemon is not found, and cannot be registered.
class SimServiceManager final : public ServiceManager {
public:
    using OpenLoginItems = std::function<void()>;

    // openLoginItems stands in for System Settings; without one, a hint goes to stderr.
    SimServiceManager(std::filesystem::path directory, Caller caller,
                      OpenLoginItems openLoginItems = {});

    long status() override;
    std::optional<std::string> registerService() override;
    std::optional<std::string> unregisterService() override;
    void openSystemSettingsLoginItems() override;

    // The user's switch in Login Items. Allowing enables a daemon that waits for approval;
    // denying sends an enabled one back to waiting, as on a Mac. The failure's description, if any.
    std::optional<std::string> setApproved(bool approved);

private:
    std::optional<std::string> storeStatus(long status);

    std::filesystem::path directory_;
    Caller caller_;
    OpenLoginItems openLoginItems_;
};

} // namespace orvane::sim
