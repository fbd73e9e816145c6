#pragma once

#include <cstdint>
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

    // The system goes on running the registration of the build that made it, so an update that
    // replaces the daemon or its property list would keep reaching the old one. With a record
    // kept, every registration that takes (enabled, or waiting for approval) records the build
    // that made it; renewRegistrationIfStale, at launch, unregisters and registers again a daemon
    // that is enabled under another build's record (or none), and records this build once the
    // new registration answers the version query. Anything that fails is logged and tried again
    // at the next launch. done runs once, on the main queue, when it is over.
    void keepRegistrationRecord(Defaults& defaults, std::string build);
    void renewRegistrationIfStale(std::function<void()> done);

    ServiceManager& service() { return service_; }

private:
    // One request over a new connection: the version query, then the limit when there is one.
    void request(std::optional<std::int64_t> megabytes, ExplainedCompletion completion);
    void recordRegistration();
    void finishRenewal(std::function<void()> done);

    Defaults* recordDefaults_ = nullptr;
    std::string build_;
    ServiceManager& service_;
    HelperTransport& transport_;
    MainQueue& mainQueue_;
    Logger helperLog_;
    double deadlineSeconds_;
};

} // namespace orvane
