#include "app/helperlink/HelperManager.h"
#include "platform/AppPlatform.h"
#include "shared/HelperIdentity.h"

namespace orvane {

HelperManager& HelperManager::shared() {
    // A function-local static: built once, safely, whichever thread asks first.
    static HelperManager& instance = []() -> HelperManager& {
        static HelperManager manager(platform::serviceManager(), platform::helperTransport(),
                                     platform::mainQueue(), platform::systemLog());
        manager.keepRegistrationRecord(platform::defaults(),
                                       platform::bundle().launchDaemonPropertyList(helperPlistName),
                                       platform::bundle().bundlePath());
        return manager;
    }();
    return instance;
}

} // namespace orvane
