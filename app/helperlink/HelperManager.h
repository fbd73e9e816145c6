#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/ports/Defaults.h"
#include "platform/ports/HelperTransport.h"
#include "platform/ports/Log.h"
#include "platform/ports/MainQueue.h"
#include "platform/ports/ServiceManager.h"
#include "shared/HelperDeadline.h"
#include "shared/Logger.h"

namespace orvane {

// The application's single point of contact with OrvaneHelper: its registration with the system,
// whether it is usable, and one set-limit request per connection. Called on the main thread.
class HelperManager {
public:
    enum class State { off, needsApproval, on };
    enum class SetResult { success, rejected, unavailable };
    using Completion = std::function<void(SetResult)>;
    // The result and, when it is unavailable, why, as one sentence.
    using ExplainedCompletion = std::function<void(SetResult, const std::string& reason)>;

    // deadlineSeconds bounds a request on a transport that does not bound its own waits.
    HelperManager(ServiceManager& service, HelperTransport& transport, MainQueue& mainQueue,
                  Log& log, double deadlineSeconds = helperDeadlineSeconds);

    // The process-wide instance, built once on first use from the platform's implementations.
    static HelperManager& shared();

    // The registration as the system reports it right now; nothing is cached.
    State state();

    // Registers the daemon (named registerHelper only because register is reserved in C++).
    // Failures are only logged. If the system then waits for the user's approval, System Settings
    // opens at Login Items.
    void registerHelper();
    void unregister();

    // Sends one limit over a new connection, after checking the daemon's protocol version. The
    // completion runs exactly once, on the main queue, never before this call has returned, and
    // after the connection has been invalidated. A daemon silent for longer than the deadline
    // makes the request unavailable.
    void setLimit(std::int64_t megabytes, Completion completion);
    // The same, telling the completion why a request was unavailable.
    void setLimitWithReason(std::int64_t megabytes, ExplainedCompletion completion);

    // Asks only the daemon's protocol version: success when it speaks ours.
    void checkVersion(ExplainedCompletion completion);

    // The system goes on running a registration as it was made, from the daemon's launchd property
    // list of that day. Only a changed list needs a registration anew: an update that replaces
    // just the daemon's executable is picked up at its next start, since the list names it inside
    // the bundle and the daemon exits when idle. Registering again risks the user's approval and
    // shows the system's notice of a new background item, so it happens only then.
    //
    // With a record kept (propertyList: the list as the bundle carries it), every registration
    // that takes records a digest of the list. renewRegistrationIfChanged, at launch, unregisters
    // and registers again an enabled daemon recorded under another digest; a registration recorded
    // without one is taken as current and gets it. A renewal is first recorded as pending, and is
    // not attempted when that record cannot be saved; a register that fails once the unregister
    // went through is tried again after renewalRetrySeconds, then at the next launch. done runs
    // once, on the main queue, when it is over.
    // bundlePath is where Orvane.app runs from: a copy that may not register the helper (see
    // BundlePlace.h) renews nothing either.
    void keepRegistrationRecord(Defaults& defaults, std::optional<std::string> propertyList,
                                std::filesystem::path bundlePath);
    void renewRegistrationIfChanged(std::function<void()> done);

    // Whether a renewal ended waiting for the user's approval, which it may have cost them. Until
    // they answer, a change asks for it as it does after the helper is turned on.
    bool renewalAwaitsApproval() const { return renewalAwaitsApproval_; }
    void approvalPromptAnswered() { renewalAwaitsApproval_ = false; }

    static constexpr double renewalRetrySeconds = 2.0;

    ServiceManager& service() { return service_; }

private:
    // One request over a new connection: the version query, then the limit when there is one.
    void request(std::optional<std::int64_t> megabytes, ExplainedCompletion completion);
    void recordRegistration();
    void forgetPendingRenewal();
    void registerAgain(std::function<void()> done, bool mayRetry);
    void finishRenewal(State registered, std::function<void()> done);

    Defaults* recordDefaults_ = nullptr;
    std::string digest_; // of the daemon's list as the bundle carries it; empty when unknown
    std::filesystem::path bundlePath_;
    bool renewalAwaitsApproval_ = false;
    ServiceManager& service_;
    HelperTransport& transport_;
    MainQueue& mainQueue_;
    Logger helperLog_;
    double deadlineSeconds_;
};

} // namespace orvane
