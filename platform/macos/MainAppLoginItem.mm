#include "platform/macos/MainAppLoginItem.h"

#import <ServiceManagement/ServiceManagement.h>

#include "platform/macos/Strings.h"

namespace orvane::macos {

bool MainAppLoginItem::isEnabled() {
    return SMAppService.mainAppService.status == SMAppServiceStatusEnabled;
}

std::optional<std::string> MainAppLoginItem::setEnabled(bool enabled) {
    SMAppService* service = SMAppService.mainAppService;
    NSError* error = nil;
    const BOOL done = enabled ? [service registerAndReturnError:&error]
                              : [service unregisterAndReturnError:&error];
    if (done) {
        return std::nullopt;
    }
    return errorText(error);
}

} // namespace orvane::macos
