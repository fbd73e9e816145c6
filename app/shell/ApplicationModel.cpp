#include "app/shell/ApplicationModel.h"

#include "app/helperlink/HelperManager.h"
#include "app/limit/KeptLimitRestore.h"
#include "app/limit/LimitTexts.h"
#include "app/shell/AppDelegate.h"
#include "platform/AppPlatform.h"

namespace orvane {

namespace {

// The change under way, seen by every opening of the popover.
ChangeInFlight& changesInFlight() {
    static ChangeInFlight changes;
    return changes;
}

} // namespace

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
        &changesInFlight(),
    });
}

void restoreKeptLimitAtLaunch() {
    // Restoring is a change like any other: a popover opened meanwhile shows it under way. Its
    // faults are log lines only, so it ends without an error sentence.
    static const char restoring = 0;
    changesInFlight().show(&restoring, std::string(texts::applying));
    restoreKeptLimit(
        RestoreServices{
            HelperManager::shared(),
            platform::kernelLimit(),
            platform::physicalMemory(),
            platform::defaults(),
            platform::systemLog(),
        },
        [](const RestoreOutcome& outcome) {
            changesInFlight().end(&restoring, std::nullopt);
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
