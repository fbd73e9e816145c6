// Keeping the daemon's registration that of the running build (see keepRegistrationRecord).

#include "app/helperlink/HelperManager.h"

namespace orvane {

namespace {

constexpr std::string_view registeredBuildKey = "helperRegisteredBuild";

} // namespace

void HelperManager::keepRegistrationRecord(Defaults& defaults, std::string build) {
    recordDefaults_ = &defaults;
    build_ = std::move(build);
}

void HelperManager::recordRegistration() {
    if (recordDefaults_ && !build_.empty()) {
        recordDefaults_->setString(registeredBuildKey, build_);
    }
}

void HelperManager::renewRegistrationIfStale(std::function<void()> done) {
    if (!done) {
        done = [] {};
    }
    const auto recorded =
        recordDefaults_ ? recordDefaults_->stringValue(registeredBuildKey) : std::nullopt;
    if (!recordDefaults_ || build_.empty() || recorded == build_ || state() != State::on) {
        mainQueue_.post(std::move(done));
        return;
    }
    helperLog_.info("Registering the helper again for build %{public}s (it was registered by "
                    "%{public}s)",
                    {build_, recorded.value_or("an earlier build")});
    // Registering again is safe only once the system has finished unregistering.
    service_.unregisterServiceThen(
        [this, done = std::move(done)](std::optional<std::string> error) mutable {
            mainQueue_.post([this, done = std::move(done), error = std::move(error)]() mutable {
                if (error) {
                    helperLog_.error("Unregistering the helper failed: %{public}s", {*error});
                }
                finishRenewal(std::move(done));
            });
        });
}

void HelperManager::finishRenewal(std::function<void()> done) {
    if (const auto error = service_.registerService()) {
        helperLog_.error("Registering the helper failed: %{public}s", {*error});
        done();
        return;
    }
    switch (state()) {
    case State::off:
        done();
        return;
    case State::needsApproval:
        // The popover asks for the approval as it does after any registration.
        recordRegistration();
        done();
        return;
    case State::on:
        break;
    }
    checkVersion([this, done = std::move(done)](SetResult result, const std::string& reason) {
        if (result == SetResult::success) {
            recordRegistration();
        } else {
            helperLog_.error("The helper registered again does not answer, so its registration "
                             "is renewed at the next launch: %{public}s",
                             {reason});
        }
        done();
    });
}

} // namespace orvane
