#include "platform/macos/AppServiceManager.h"

#import <ServiceManagement/ServiceManagement.h>
#include <memory>

#include "platform/macos/Strings.h"
#include "shared/HelperIdentity.h"

namespace orvane::macos {

AppServiceManager::AppServiceManager()
    : service_([SMAppService daemonServiceWithPlistName:toNSString(helperPlistName)]) {}

// The raw value goes up unchanged: deciding what an unknown status means is the caller's business.
long AppServiceManager::status() {
    return static_cast<long>(service_.status);
}

std::optional<std::string> AppServiceManager::registerService() {
    NSError* error = nil;
    if ([service_ registerAndReturnError:&error]) {
        return std::nullopt;
    }
    return errorText(error);
}

std::optional<std::string> AppServiceManager::unregisterService() {
    NSError* error = nil;
    if ([service_ unregisterAndReturnError:&error]) {
        return std::nullopt;
    }
    return errorText(error);
}

void AppServiceManager::unregisterServiceThen(Done done) {
    auto pending = std::make_shared<Done>(std::move(done));
    [service_ unregisterWithCompletionHandler:^(NSError* _Nullable error) {
        (*pending)(error == nil ? std::nullopt : std::optional<std::string>(errorText(error)));
    }];
}

void AppServiceManager::openSystemSettingsLoginItems() {
    [SMAppService openSystemSettingsLoginItems];
}

} // namespace orvane::macos
