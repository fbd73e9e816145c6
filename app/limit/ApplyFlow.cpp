#include "app/helperlink/BundlePlace.h"
#include "app/limit/ContentViewModel.h"
#include "app/limit/ContentViewModelState.h"
#include "app/limit/Sizes.h"
#include "shared/RangeRule.h"

namespace orvane {

void ContentViewModel::applyVRAM(double gigabytes) {
    const Change change(*this);
    auto& f = state_->fields;
    // One change at a time: under way (from this opening or an earlier one), offered or waiting
    // for approval.
    if (busyMessage() || f.helperOfferMB || f.waitingForApprovalMB) {
        return;
    }
    f.vramError.reset();
    const auto megabytes = validatedMegabytes(gigabytes, f.totalRAMGB);
    if (!megabytes) {
        f.vramError = outsideRangeText(integerPart(gigabytes));
        scheduleRefresh();
        return;
    }
    HelperManager& manager = state_->services.helperManager;
    f.helperState = manager.state();
    if (f.helperState == HelperManager::State::on) {
        sendToHelper(*megabytes);
    } else if (f.helperState == HelperManager::State::needsApproval &&
               manager.renewalAwaitsApproval()) {
        // An update's renewal cost the user's approval: asked for again as after turning it on.
        f.waitingForApprovalMB = megabytes;
    } else if (helperOfferShown()) {
        applyWithPassword(*megabytes);
    } else {
        f.helperOfferMB = megabytes;
    }
}

void ContentViewModel::sendToHelper(std::int64_t megabytes) {
    state_->changes.show(state_.get(), std::string(texts::applying));
    state_->services.helperManager.setLimit(
        megabytes, later([megabytes](ContentViewModel& view, HelperManager::SetResult result) {
            view.handleHelperResult(result, megabytes);
        }));
}

void ContentViewModel::handleHelperResult(HelperManager::SetResult result, std::int64_t megabytes) {
    const Change change(*this);
    auto& f = state_->fields;
    switch (result) {
    case HelperManager::SetResult::success:
        if (!confirmedByReadBack(megabytes)) {
            f.vramError = std::string(texts::limitDidNotChange);
        }
        reportUnsavedSettings(); // the kept limit
        break;
    case HelperManager::SetResult::rejected:
        f.vramError = outsideRangeText(megabytes / 1024);
        break;
    case HelperManager::SetResult::unavailable:
        // The user never hears of the helper's failure: the password road takes over.
        applyWithPassword(megabytes);
        return;
    }
    state_->changes.end(state_.get(), f.vramError);
    scheduleRefresh();
    updateStatusIcon();
}

void ContentViewModel::turnOnHelper(std::optional<std::int64_t> pendingMB) {
    // Registering opens a window of the system's. Should that let anything end this instance, the
    // road goes on through a copy that shares its state.
    ContentViewModel view(Copy{}, state_);
    const Change change(view);
    auto& f = view.state_->fields;
    // A "Turn On" for an offer that is no longer open (a second click on its way) must not send the
    // change twice.
    if (pendingMB && f.helperOfferMB != pendingMB) {
        return;
    }
    // The offer stays for the installed copy; the change it held is dropped, not sent by password
    // behind a sentence that asks for something else.
    if (view.refuseRegistrationHere()) {
        f.helperOfferMB.reset();
        if (pendingMB) {
            view.scheduleRefresh();
        }
        return;
    }
    view.setHelperOfferShown(true);
    f.helperOfferMB.reset();
    view.state_->services.helperManager.registerHelper();
    f.helperState = view.state_->services.helperManager.state();
    if (!pendingMB) {
        view.reportUnsavedSettings();
        return;
    }
    switch (f.helperState) {
    case HelperManager::State::off:
        view.applyWithPassword(*pendingMB);
        break;
    case HelperManager::State::needsApproval:
        f.waitingForApprovalMB = pendingMB;
        break;
    case HelperManager::State::on:
        view.sendToHelper(*pendingMB);
        break;
    }
}

// launchd keeps the path the daemon was registered from: a translocated copy vanishes when it
// quits, and a copy in Downloads or on a disk image is moved or ejected.
bool ContentViewModel::refuseRegistrationHere() {
    const std::filesystem::path& bundle = state_->services.bundlePath;
    if (mayRegisterHelperFrom(bundle)) {
        return false;
    }
    state_->appLog.error(texts::notInstalledLog, {bundle.string()});
    state_->fields.vramError = std::string(texts::moveToApplicationsFirst);
    return true;
}

void ContentViewModel::onApprovalTick() {
    const Change change(*this);
    auto& f = state_->fields;
    // Nothing to watch: no system call every second for nothing.
    if (!f.waitingForApprovalMB && f.helperState != HelperManager::State::needsApproval) {
        return;
    }
    f.helperState = state_->services.helperManager.state();
    if (f.helperState != HelperManager::State::on || !f.waitingForApprovalMB) {
        return;
    }
    const std::int64_t megabytes = *std::exchange(f.waitingForApprovalMB, std::nullopt);
    state_->services.helperManager.approvalPromptAnswered();
    sendToHelper(megabytes);
}

} // namespace orvane
