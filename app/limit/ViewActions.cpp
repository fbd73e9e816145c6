#include "app/limit/ContentViewModel.h"
#include "app/limit/ContentViewModelState.h"
#include "app/limit/KeptLimit.h"

namespace orvane {

void ContentViewModel::selectPreset(double gigabytes) {
    const Change change(*this);
    // The checkmark moves even when the change is refused; the next refresh puts it back.
    state_->fields.selectedVRAMGB = gigabytes;
    applyVRAM(gigabytes);
}

void ContentViewModel::setCustomAllocation(double gigabytes) {
    const Change change(*this);
    state_->fields.customAllocation = gigabytes;
}

void ContentViewModel::applyCustomAllocation() {
    const Change change(*this);
    const double gigabytes = state_->fields.customAllocation;
    state_->fields.selectedVRAMGB = gigabytes;
    applyVRAM(gigabytes);
}

void ContentViewModel::declineHelperOffer(std::int64_t megabytes) {
    const Change change(*this);
    auto& f = state_->fields;
    // Only the open offer can be declined; a stale click would start a second password dialog.
    if (f.helperOfferMB != megabytes) {
        return;
    }
    setHelperOfferShown(true);
    f.helperOfferMB.reset();
    applyWithPassword(megabytes);
}

void ContentViewModel::openSystemSettings() {
    state_->services.helperManager.service().openSystemSettingsLoginItems();
}

void ContentViewModel::usePasswordInstead(std::int64_t megabytes) {
    const Change change(*this);
    auto& f = state_->fields;
    if (f.waitingForApprovalMB != megabytes) {
        return;
    }
    f.waitingForApprovalMB.reset();
    state_->services.helperManager.approvalPromptAnswered();
    applyWithPassword(megabytes);
}

void ContentViewModel::setPasswordFree(bool on) {
    ContentViewModel view(Copy{}, state_); // turning on registers: see turnOnHelper()
    const Change change(view);
    auto& f = view.state_->fields;
    // Either way a held-back change may be dropped; the refresh then moves the checkmark back to
    // the limit actually in force instead of leaving it on a change that never happens.
    const bool dropsChange = on ? f.helperOfferMB.has_value() : f.waitingForApprovalMB.has_value();
    if (on) {
        view.turnOnHelper(std::nullopt);
    } else {
        auto& manager = view.state_->services.helperManager;
        manager.unregister();
        f.waitingForApprovalMB.reset();
        f.helperState = manager.state();
    }
    if (dropsChange) {
        view.scheduleRefresh();
    }
}

void ContentViewModel::setLaunchAtLogin(bool enabled) {
    const Change change(*this);
    // The switch keeps what the user chose even if the system refuses; the next opening shows
    // the real state.
    state_->fields.launchAtLogin = enabled;
    if (const auto error = state_->services.loginItem.setEnabled(enabled)) {
        state_->appLog.error(texts::launchAtLoginFailedLog, {*error});
    }
}

void ContentViewModel::setKeepLimitAfterRestart(bool on) {
    const Change change(*this);
    auto& s = state_->services;
    orvane::setKeepLimitAfterRestart(s.defaults, s.kernel, on);
    reportUnsavedSettings();
    if (!on) {
        return;
    }
    // Restoring happens when Orvane starts, so it must start at login; the switch shows it.
    if (s.loginItem.isEnabled()) {
        state_->fields.launchAtLogin = true;
    } else {
        setLaunchAtLogin(true);
    }
}

void ContentViewModel::setEnableFunMode(bool enabled) {
    const Change change(*this);
    state_->services.defaults.setBool(texts::enableFunModeKey, enabled);
    reportUnsavedSettings();
}

void ContentViewModel::toggleMoreSettings() {
    const Change change(*this);
    state_->fields.showMoreSettings = !state_->fields.showMoreSettings;
}

void ContentViewModel::toggleUpdateSettings() {
    const Change change(*this);
    state_->fields.showingUpdateSettings = !state_->fields.showingUpdateSettings;
}

void ContentViewModel::setHelperOfferShown(bool shown) {
    state_->services.defaults.setBool(texts::helperOfferShownKey, shown);
}

void ContentViewModel::reportUnsavedSettings() {
    auto& f = state_->fields;
    if (const auto problem = state_->services.defaults.sync(); problem && !f.vramError) {
        f.vramError = *problem;
    }
}

} // namespace orvane
