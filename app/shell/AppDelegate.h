#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QPointer>

#include "app/limit/ContentViewModel.h"
#include "app/popover/ContentView.h"
#include "app/shell/PopoverWindow.h"
#include "app/shell/TermsWindow.h"
#include "platform/ports/Bundle.h"
#include "platform/ports/Defaults.h"
#include "platform/ports/StatusItem.h"
#include "platform/ports/Updater.h"
#include "platform/qt/VRAMDot.h"

namespace orvane {

// What the application shell is built from: the platform's implementations and a few actions.
struct ShellServices {
    Defaults& defaults;
    Bundle& bundle;
    std::function<std::unique_ptr<StatusItem>()> makeStatusItem;
    std::function<std::unique_ptr<Updater>()> makeUpdater; // created started
    std::function<std::unique_ptr<ContentViewModel>()> makeModel;
    std::function<void()> makeAccessory; // no Dock icon, no menus, no task-bar entries
    std::function<void()> activate;      // bring the application to the front
    std::function<void()> terminate;
    // Runs once the status item is installed: the launch's work in the background.
    std::function<void()> afterStatusItem;
};

// The application's delegate: launch, the terms decision, the status item with its icon and dot,
// and the popover.
class AppDelegate final : public QObject, public StatusIcon {
    Q_OBJECT
public:
    explicit AppDelegate(ShellServices services);
    ~AppDelegate() override;

    // Set once during launch; the model reaches the status icon through it.
    static AppDelegate* shared;
    static Updater* sharedUpdaterController;

    void applicationDidFinishLaunching();
    void checkTermsAndSetup();
    void setupStatusItem();
    void updateStatusIcon() override;
    void togglePopover();
    // A later start of Orvane asks this one to show itself: the popover, opened if closed and
    // never closed, or the terms window while it waits for an answer.
    void showYourself();

    StatusItem* statusItem() const { return statusItem_.get(); }
    PopoverWindow& popover() { return *popover_; }
    Updater& updaterController() { return *updaterController_; }
    const VRAMDot& customVRAMDot() const { return customVRAMDot_; }
    TermsWindow* termsWindow() const { return termsWindow_; }
    ContentView* contentView() const;

private:
    ContentView* makeContentView();
    void openTermsWindow();

    ShellServices services_;
    std::unique_ptr<StatusItem> statusItem_;
    std::unique_ptr<PopoverWindow> popover_;
    std::unique_ptr<Updater> updaterController_;
    VRAMDot customVRAMDot_;
    QPointer<TermsWindow> termsWindow_;
};

} // namespace orvane
