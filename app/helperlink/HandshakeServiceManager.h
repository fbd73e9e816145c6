#pragma once

#include "platform/ports/HelperTransport.h"
#include "platform/ports/Log.h"
#include "platform/ports/ServiceManager.h"
#include "shared/HelperDeadline.h"
#include "shared/Logger.h"

namespace orvane {

// The daemon's registration as a program of ours other than the application sees it (orvane, in
// Contents/Helpers). The system's service management answers only the application's executable,
// since it resolves the daemon's list against the calling program's main bundle; such a program
// learns whether password-free changes are usable from the helper itself. The status reads
// enabled when the helper answers the version query in our protocol, not registered otherwise.
// Registering and unregistering pass to the system unchanged, which refuses them from here: the
// caller leaves them to the application's executable.
class HandshakeServiceManager final : public ServiceManager {
public:
    // deadlineSeconds bounds the wait on a transport that does not bound its own waits.
    HandshakeServiceManager(ServiceManager& system, HelperTransport& transport, Log& log,
                            double deadlineSeconds = helperDeadlineSeconds);

    // Asks the helper, blocking the calling thread until it answers or the wait runs out.
    long status() override;

    std::optional<std::string> registerService() override { return system_.registerService(); }
    std::optional<std::string> unregisterService() override { return system_.unregisterService(); }
    void unregisterServiceThen(Done done) override {
        system_.unregisterServiceThen(std::move(done));
    }
    void openSystemSettingsLoginItems() override { system_.openSystemSettingsLoginItems(); }

private:
    ServiceManager& system_;
    HelperTransport& transport_;
    Logger helperLog_;
    double deadlineSeconds_;
};

} // namespace orvane
