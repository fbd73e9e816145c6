#include "app/shell/ApplicationModel.h"

#include "app/helperlink/HelperManager.h"
#include "app/shell/AppDelegate.h"
#include "platform/AppPlatform.h"

namespace orvane {

std::unique_ptr<ContentViewModel> makeApplicationModel() {
    return std::make_unique<ContentViewModel>(ContentServices{
        HelperManager::shared(),
        platform::kernelLimit(),
        platform::physicalMemory(),
        platform::defaults(),
        platform::mainQueue(),
        platform::adminRunner(),
        platform::loginItem(),
        platform::systemLog(),
        AppDelegate::shared,
        &platform::gpuMemoryStats(),
    });
}

} // namespace orvane
