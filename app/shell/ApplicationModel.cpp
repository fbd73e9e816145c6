#include "app/shell/ApplicationModel.h"

#include "app/helperlink/HelperManager.h"
#include "app/limit/KeptLimitRestore.h"
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
        platform::bundle().bundlePath(),
    });
}

void restoreKeptLimitAtLaunch() {
    restoreKeptLimit(
        RestoreServices{
            HelperManager::shared(),
            platform::kernelLimit(),
            platform::physicalMemory(),
            platform::defaults(),
            platform::systemLog(),
        },
        [](const RestoreOutcome& outcome) {
            if (outcome.kind != RestoreOutcome::Kind::restored || !AppDelegate::shared) {
                return;
            }
            AppDelegate::shared->updateStatusIcon();
            if (ContentView* view = AppDelegate::shared->contentView()) {
                view->model().refreshVRAM(); // a popover already open shows the new figures
            }
        });
}

} // namespace orvane
