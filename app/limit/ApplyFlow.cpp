#include "app/limit/ContentViewModel.h"
#include "app/limit/ContentViewModelState.h"
#include "app/limit/Sizes.h"
#include "shared/RangeRule.h"

namespace orvane {

void ContentViewModel::applyVRAM(double gigabytes) {
    const Change change(*this);
    auto& f = state_->fields;
    // One change at a time: under way, offered or waiting for approval.
    if (f.busyMessage || f.helperOfferMB || f.waitingForApprovalMB) {
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
    state_->fields.busyMessage = std::string(texts::applying);
    state_->services.helperManager.setLimit(
        megabytes, later([megabytes](ContentViewModel& view, HelperManager::SetResult result) {
            view.handleHelperResult(result, megabytes);
        }));
}

void ContentViewModel::handleHelperResult(HelperManager::SetResult result, std::int64_t megabytes) {
    const Change change(*this);
    auto& f = state_->fields;
    f.busyMessage.reset();
    switch (result) {
    case HelperManager::SetResult::success:
        if (!confirmedByReadBack(megabytes)) {
            f.vramError = std::string(texts::limitDidNotChange);
        }
        break;
    case HelperManager::SetResult::rejected:
        f.vramError = outsideRangeText(megabytes / 1024);
        break;
    case HelperManager::SetResult::unavailable:
        // The user never hears of the helper's failure: the password road takes over.
        applyWithPassword(megabytes);
        return;
    }
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
    view.setHelperOfferShown(true);
    f.helperOfferMB.reset();
    view.state_->services.helperManager.registerHelper();
    f.helperState = view.state_->services.helperManager.state();
    if (!pendingMB) {
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
