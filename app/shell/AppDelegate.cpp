#include "app/shell/AppDelegate.h"

#include <cstdio>

#include <QApplication>

#include "app/shell/ShellTexts.h"
#include "app/shell/TermsWindow.h"
#include "app/shell/UpdaterSettingsView.h"

namespace orvane {

AppDelegate* AppDelegate::shared = nullptr;
Updater* AppDelegate::sharedUpdaterController = nullptr;

AppDelegate::AppDelegate(ShellServices services)
    : services_(std::move(services))
    , popover_(std::make_unique<PopoverWindow>())
    , updaterController_(services_.makeUpdater()) {}

AppDelegate::~AppDelegate() {
    if (shared == this) {
        shared = nullptr;
        sharedUpdaterController = nullptr;
    }
    delete termsWindow_;
}

void AppDelegate::applicationDidFinishLaunching() {
    checkTermsAndSetup();
}

void AppDelegate::checkTermsAndSetup() {
    shared = this;
    sharedUpdaterController = updaterController_.get();
    if (services_.makeAccessory) {
        services_.makeAccessory();
    }
    const auto agreed = services_.defaults.stringValue(shell_text::agreedTermsVersionKey);
    if (agreed && *agreed == shell_text::currentTermsVersion) {
        setupStatusItem();
    } else {
        openTermsWindow();
    }
}

void AppDelegate::openTermsWindow() {
    if (termsWindow_) {
        return;
    }
    termsWindow_ = new TermsWindow(
        services_.bundle,
        [this] {
            services_.defaults.setString(shell_text::agreedTermsVersionKey,
                                         shell_text::currentTermsVersion);
            services_.defaults.setBool(shell_text::userAgreedToTermsKey, true);
            termsWindow_->close();
            termsWindow_->deleteLater();
            setupStatusItem();
        },
        [this] { services_.terminate(); });
    termsWindow_->show();
}

void AppDelegate::setupStatusItem() {
    statusItem_ = services_.makeStatusItem();
    if (statusItem_->hasButton()) {
        updateStatusIcon();
        statusItem_->setAction([this] { togglePopover(); });
    }
    popover_->setContent(makeContentView());
    if (!statusItem_->hasButton()) {
        // Without a tray nothing could ever open the popover: show it as a window instead.
        std::fputs(shell_text::noTrayNotice, stderr);
        popover_->showAsWindow();
    }
    if (services_.afterStatusItem) {
        services_.afterStatusItem();
    }
}

void AppDelegate::updateStatusIcon() {
    const double value =
        services_.defaults.doubleValue(shell_text::lastKnownVRAMGBKey).value_or(0.0);
    const bool active = value > 0; // NaN and negative values count as inactive
    if (statusItem_ && statusItem_->hasButton()) {
        statusItem_->setImage(active ? shell_text::menuIconActive : shell_text::menuIcon);
        statusItem_->setAccessibilityLabel(active ? shell_text::accessibilityLabelActive
                                                  : shell_text::accessibilityLabel);
    }
    customVRAMDot_.hidden = !active;
    if (statusItem_ && statusItem_->hasButton()) {
        statusItem_->setDotHidden(customVRAMDot_.hidden);
    }
}

void AppDelegate::togglePopover() {
    if (popover_->isShown()) {
        popover_->close();
        return;
    }
    if (!statusItem_ || !statusItem_->hasButton()) {
        return;
    }
    popover_->setContent(makeContentView());
    popover_->showRelativeTo(statusItem_->buttonRect());
    if (services_.activate) {
        services_.activate();
    }
}

void AppDelegate::showYourself() {
    if (termsWindow_) {
        termsWindow_->show(); // closed by its title bar, it waits all the same
        termsWindow_->raise();
        termsWindow_->activateWindow();
    } else if (!popover_->isShown()) {
        togglePopover();
    } else {
        popover_->raise();
        popover_->activateWindow();
    }
}

ContentView* AppDelegate::contentView() const {
    return qobject_cast<ContentView*>(popover_->content());
}

ContentView* AppDelegate::makeContentView() {
    ContentViewHost host;
    host.quit = services_.terminate;
    host.moreSettings.checkForUpdates = [] {
        if (sharedUpdaterController) {
            sharedUpdaterController->checkForUpdates();
        }
    };
    host.moreSettings.makeUpdaterSettingsView = []() -> QWidget* {
        return sharedUpdaterController ? new UpdaterSettingsView(*sharedUpdaterController)
                                       : nullptr;
    };
    host.moreSettings.version =
        services_.bundle.infoString("CFBundleShortVersionString").value_or("unknown");
    return new ContentView(services_.makeModel(), std::move(host));
}

} // namespace orvane
