// Keeping the daemon's registration that of the launchd list the bundle carries (see
// keepRegistrationRecord).

#include <cstdint>
#include <cstdio>

#include "app/helperlink/BundlePlace.h"
#include "app/helperlink/HelperManager.h"

namespace orvane {

namespace {

constexpr std::string_view plistDigestKey = "helperPlistDigest";
constexpr std::string_view renewalPendingKey = "helperRenewalPending";

// 64-bit FNV-1a, in hexadecimal. It only tells one list of ours from another: whoever could
// choose the list's bytes could change anything else in the bundle as well.
std::string digestOf(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

} // namespace

void HelperManager::keepRegistrationRecord(Defaults& defaults,
                                           std::optional<std::string> propertyList,
                                           std::filesystem::path bundlePath) {
    recordDefaults_ = &defaults;
    bundlePath_ = std::move(bundlePath);
    digest_ = propertyList ? digestOf(*propertyList) : std::string();
    if (!propertyList) {
        helperLog_.error("The helper's launchd property list could not be read from the bundle, "
                         "so its registration is never renewed");
    }
}

void HelperManager::recordRegistration() {
    if (!recordDefaults_ || digest_.empty()) {
        return;
    }
    recordDefaults_->setString(plistDigestKey, digest_);
    forgetPendingRenewal();
}

void HelperManager::forgetPendingRenewal() {
    if (recordDefaults_ && recordDefaults_->boolValue(renewalPendingKey)) {
        recordDefaults_->remove(renewalPendingKey);
    }
}

void HelperManager::renewRegistrationIfChanged(std::function<void()> done) {
    if (!done) {
        done = [] {};
    }
    if (!recordDefaults_ || digest_.empty()) {
        mainQueue_.post(std::move(done));
        return;
    }
    // launchd would be pointed at a copy that goes away (a translocated one) or moves.
    if (!mayRegisterHelperFrom(bundlePath_)) {
        helperLog_.info("The helper's registration is not renewed from %{public}s, outside an "
                        "Applications folder",
                        {bundlePath_.string()});
        mainQueue_.post(std::move(done));
        return;
    }
    Defaults& defaults = *recordDefaults_;
    const State current = state();
    if (defaults.boolValue(renewalPendingKey).value_or(false)) {
        if (current == State::off) {
            helperLog_.info("Registering the helper again: its renewal did not finish");
            registerAgain(std::move(done), true);
            return;
        }
        recordRegistration(); // registered since, by whatever means, from today's list
        mainQueue_.post(std::move(done));
        return;
    }
    const std::optional<std::string> recorded = defaults.stringValue(plistDigestKey);
    if (current != State::off && !recorded) {
        recordRegistration(); // made by an earlier build, or by hand: taken as current
    }
    if (current != State::on || !recorded || *recorded == digest_) {
        mainQueue_.post(std::move(done));
        return;
    }
    // Only this record tells the next launch to finish a renewal that stops halfway.
    defaults.setBool(renewalPendingKey, true);
    if (const std::optional<std::string> unsaved = defaults.sync()) {
        defaults.remove(renewalPendingKey);
        helperLog_.error("The helper's launchd property list has changed, but its registration "
                         "is not renewed: %{public}s",
                         {*unsaved});
        mainQueue_.post(std::move(done));
        return;
    }
    helperLog_.info("Registering the helper again: its launchd property list has changed");
    // Registering again is safe only once the system has finished unregistering.
    service_.unregisterServiceThen(
        [this, done = std::move(done)](std::optional<std::string> error) mutable {
            mainQueue_.post([this, done = std::move(done), error = std::move(error)]() mutable {
                if (error) {
                    // Still registered from the old list: the digest still differs next time.
                    helperLog_.error("Unregistering the helper failed: %{public}s", {*error});
                    forgetPendingRenewal();
                    done();
                    return;
                }
                registerAgain(std::move(done), true);
            });
        });
}

void HelperManager::registerAgain(std::function<void()> done, bool mayRetry) {
    const std::optional<std::string> error = service_.registerService();
    const State registered = state();
    if (!error && registered != State::off) {
        finishRenewal(registered, std::move(done));
        return;
    }
    helperLog_.error("Registering the helper failed: %{public}s",
                     {error.value_or("it is still not registered")});
    if (mayRetry) {
        // Right after an unregister the system has been seen to refuse for a moment.
        mainQueue_.after(renewalRetrySeconds, [this, done = std::move(done)]() mutable {
            registerAgain(std::move(done), false);
        });
        return;
    }
    helperLog_.error("The helper's registration is renewed at the next launch");
    done();
}

void HelperManager::finishRenewal(State registered, std::function<void()> done) {
    recordRegistration();
    if (registered == State::needsApproval) {
        renewalAwaitsApproval_ = true;
        done();
        return;
    }
    checkVersion([this, done = std::move(done)](SetResult result, const std::string& reason) {
        if (result != SetResult::success) {
            helperLog_.error("The helper registered again does not answer: %{public}s", {reason});
        }
        done();
    });
}

} // namespace orvane
