// Orvane: the menu-bar application.

#include <QApplication>
#include <QTimer>

#include "app/helperlink/HelperManager.h"
#include "app/shell/AppDelegate.h"
#include "platform/AppPlatform.h"

using namespace orvane;

namespace {

std::unique_ptr<ContentViewModel> makeModel() {
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
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Orvane");
    QApplication::setOrganizationDomain("com.halvern.Orvane");
    QApplication::setApplicationVersion(ORVANE_VERSION);
    // The application lives in the menu bar; closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::prepareApplication();

    AppDelegate delegate(ShellServices{
        .defaults = platform::defaults(),
        .bundle = platform::bundle(),
        .makeStatusItem = platform::makeStatusItem,
        .makeUpdater = platform::makeUpdater,
        .makeModel = makeModel,
        .makeAccessory = platform::makeAccessory,
        .activate = platform::activateApplication,
        .terminate = platform::terminate,
    });
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); });
    return QApplication::exec();
}
