#include "app/helperlink/HelperManager.h"
#include "platform/AppPlatform.h"

namespace orvane {

HelperManager& HelperManager::shared() {
    // A function-local static: built once, safely, whichever thread asks first.
    static HelperManager instance(platform::serviceManager(), platform::helperTransport(),
                                  platform::mainQueue(), platform::systemLog());
    return instance;
}

} // namespace orvane
