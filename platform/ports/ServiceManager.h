#pragma once

#include <functional>
#include <optional>
#include <string>

namespace orvane {

// The system's registry of the helper daemon (SMAppService daemonServiceWithPlistName: on a Mac).
class ServiceManager {
public:
    virtual ~ServiceManager() = default;

    // Raw service status: 0 not registered, 1 enabled, 2 requires approval, 3 not found.
    // Other values are possible and mean nothing usable.
    virtual long status() = 0;

    // Each gives the error's localized description on failure, nothing on success.
    virtual std::optional<std::string> registerService() = 0;
    virtual std::optional<std::string> unregisterService() = 0;

    // Unregisters and calls done, from any thread, once the system has finished (the error's
    // description on failure). Registering again is safe only from there. By default the
    // synchronous call stands in.
    using Done = std::function<void(std::optional<std::string> error)>;
    virtual void unregisterServiceThen(Done done) { done(unregisterService()); }

    // Opens System Settings at Login Items, where the user allows the daemon.
    virtual void openSystemSettingsLoginItems() = 0;
};

} // namespace orvane
