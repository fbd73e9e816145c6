#include "app/helperlink/HelperManager.h"

#include <atomic>
#include <cerrno>
#include <memory>
#include <optional>

#include "shared/ErrnoText.h"
#include "shared/HelperIdentity.h"

namespace orvane {

namespace {

constexpr long statusNotRegistered = 0;
constexpr long statusEnabled = 1;
constexpr long statusRequiresApproval = 2;
constexpr long statusNotFound = 3;

// What one request shares between its handlers. The done flag and the timer are touched on the
// main queue only; the version flag is set from the connection's thread.
struct Request {
    bool done = false;
    std::optional<MainQueue::TimerId> deadline;
    std::atomic<bool> versionAnswered{false};
    std::shared_ptr<HelperConnection> connection;
    HelperManager::ExplainedCompletion completion;
};

} // namespace

HelperManager::HelperManager(ServiceManager& service, HelperTransport& transport,
                             MainQueue& mainQueue, Log& log, double deadlineSeconds)
    : service_(service)
    , transport_(transport)
    , mainQueue_(mainQueue)
    , helperLog_(log, "helper")
    , deadlineSeconds_(deadlineSeconds) {}

HelperManager::State HelperManager::state() {
    switch (service_.status()) {
    case statusEnabled:
        return State::on;
    case statusRequiresApproval:
        return State::needsApproval;
    case statusNotRegistered:
    case statusNotFound:
    default:
        return State::off;
    }
}

void HelperManager::registerHelper() {
    renewalAwaitsApproval_ = false; // the user's own registration has its own prompts
    if (const auto error = service_.registerService()) {
        helperLog_.error("Registering the helper failed: %{public}s", {*error});
    }
    const long status = service_.status();
    if (status == statusEnabled || status == statusRequiresApproval) {
        recordRegistration();
    }
    if (status == statusRequiresApproval) {
        service_.openSystemSettingsLoginItems();
    }
}

void HelperManager::unregister() {
    renewalAwaitsApproval_ = false;
    if (const auto error = service_.unregisterService()) {
        helperLog_.error("Unregistering the helper failed: %{public}s", {*error});
    }
    // Turned off on purpose: a renewal left pending must not turn it on again.
    forgetPendingRenewal();
}

void HelperManager::setLimit(std::int64_t megabytes, Completion completion) {
    setLimitWithReason(megabytes,
                       [completion = std::move(completion)](SetResult result, const std::string&) {
                           completion(result);
                       });
}

void HelperManager::setLimitWithReason(std::int64_t megabytes, ExplainedCompletion completion) {
    request(megabytes, std::move(completion));
}

void HelperManager::checkVersion(ExplainedCompletion completion) {
    request(std::nullopt, std::move(completion));
}

void HelperManager::request(std::optional<std::int64_t> megabytes, ExplainedCompletion completion) {
    auto request = std::make_shared<Request>();
    request->completion = std::move(completion);
    request->connection = transport_.connect();

    // Called from the connection's thread; everything else happens on the main queue. The first
    // result wins; the connection is gone before the caller hears of it.
    auto finish = [request, &queue = mainQueue_](SetResult result, std::string reason) {
        queue.post([request, result, reason = std::move(reason), &queue] {
            if (request->done) {
                return;
            }
            request->done = true;
            if (request->deadline) {
                queue.cancel(*request->deadline);
            }
            if (const auto connection = std::move(request->connection)) {
                connection->invalidate();
            }
            const auto completion = std::move(request->completion);
            completion(result, reason);
        });
    };

    // A transport that cannot even create a connection leaves nothing to talk to.
    if (!request->connection) {
        finish(SetResult::unavailable, "No connection to the helper could be made.");
        return;
    }

    const Logger log = helperLog_;
    // A daemon that never answers would otherwise hold the request for as long as it lives.
    if (!transport_.boundsEveryWait()) {
        const double seconds = deadlineSeconds_;
        request->deadline = mainQueue_.after(seconds, [log, finish, seconds, request] {
            request->deadline.reset();
            if (request->done) {
                return;
            }
            const char* wait = request->versionAnswered ? "the new limit" : "the version query";
            log.error("Helper did not reply to %{public}s within %{public}s",
                      {wait, deadlineText(seconds)});
            finish(SetResult::unavailable, std::string("The helper did not reply to ") + wait +
                                               " within " + deadlineText(seconds) + ".");
        });
    }

    const bool speaksProtocol =
        request->connection->openProxy([log, finish](const std::string& error) {
            log.error("Helper connection failed: %{public}s", {error});
            finish(SetResult::unavailable, error);
        });
    if (!speaksProtocol) {
        finish(SetResult::unavailable, "The helper's connection does not speak Orvane's protocol.");
        return;
    }

    // The handlers reach the connection through a weak reference, so that a request that never
    // hears back does not keep its connection alive by itself.
    const std::weak_ptr<HelperConnection> weakConnection = request->connection;
    request->connection->protocolVersion([log, finish, weakConnection, request,
                                          megabytes](std::int64_t version) {
        if (version != helperProtocolVersion) {
            log.error("Helper protocol %ld doesn't match app protocol %ld",
                      {version, helperProtocolVersion});
            finish(SetResult::unavailable, "The helper speaks protocol " + std::to_string(version) +
                                               ", and Orvane speaks protocol " +
                                               std::to_string(helperProtocolVersion) + ".");
            return;
        }
        request->versionAnswered = true;
        if (!megabytes) {
            finish(SetResult::success, {});
            return;
        }
        const auto connection = weakConnection.lock();
        if (!connection) {
            return;
        }
        connection->setWiredLimit(*megabytes, [log, finish](std::int32_t status) {
            if (status == 0) {
                finish(SetResult::success, {});
            } else if (status == EINVAL) {
                finish(SetResult::rejected, {});
            } else {
                log.error("Helper failed to set the limit: %{public}s", {errnoText(status)});
                finish(SetResult::unavailable,
                       "The helper could not set the limit: " + errnoText(status) + ".");
            }
        });
    });
}

} // namespace orvane
