#include "app/limit/ContentViewModel.h"
#include "app/limit/ContentViewModelState.h"
#include "app/limit/PasswordScript.h"
#include "app/limit/Sizes.h"

namespace orvane {

namespace {

constexpr long userCancelled = -128;

} // namespace

void ContentViewModel::applyWithPassword(std::int64_t megabytes) {
    const Change change(*this);
    state_->changes.show(state_.get(), std::string(texts::waitingForAdministrator));
    // The short delay lets the popover show the busy text before the password dialog blocks it.
    state_->services.mainQueue.after(
        0.05, later([megabytes](ContentViewModel& view) { view.finishPasswordRoad(megabytes); }));
}

void ContentViewModel::finishPasswordRoad(std::int64_t megabytes) {
    auto error = runPasswordScript(megabytes);
    auto& f = state_->fields;
    f.vramError = std::move(error);
    reportUnsavedSettings(); // the offer answered, the kept limit
    state_->changes.end(state_.get(), f.vramError);
    scheduleRefresh();
    updateStatusIcon();
}

std::optional<std::string> ContentViewModel::runPasswordScript(std::int64_t megabytes) {
    // Blocks until the password dialog is answered; nothing else runs meanwhile.
    const AdminRunner::Outcome outcome =
        state_->services.adminRunner.run(passwordScriptSource(megabytes));
    if (!outcome.compiled) {
        return std::string(texts::couldNotChangeLimit);
    }
    if (!outcome.error) {
        if (confirmedByReadBack(megabytes)) {
            return std::nullopt;
        }
        return std::string(texts::limitDidNotChange);
    }
    const AdminRunner::ScriptError& error = *outcome.error;
    if (error.number == userCancelled) {
        return std::nullopt;
    }
    state_->vramLog.error(texts::scriptFailedLog, {error.description});
    // An empty message would leave an invisible error line: the failure would look like success.
    if (error.message && !error.message->empty()) {
        return *error.message;
    }
    return std::string(texts::couldNotChangeLimit);
}

std::string ContentViewModel::passwordScriptSource(std::int64_t megabytes) {
    return orvane::passwordScriptSource(megabytes);
}

} // namespace orvane
