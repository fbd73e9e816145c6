#pragma once

#include "platform/ports/ServiceManager.h"

@class SMAppService;

namespace orvane::macos {

// OrvaneHelper's registration with launchd through the service-management facility. The daemon's
// property list lies in the bundle at Contents/Library/LaunchDaemons, found from the calling
// program's main bundle: only the application's executable gets answers. orvane asks the helper
// itself whether it is usable, and has that executable register and unregister it.
class AppServiceManager final : public ServiceManager {
public:
    AppServiceManager();

    long status() override;
    std::optional<std::string> registerService() override;
    std::optional<std::string> unregisterService() override;
    void unregisterServiceThen(Done done) override;
    void openSystemSettingsLoginItems() override;

private:
    SMAppService* service_;
};

} // namespace orvane::macos
