#include "app/helperlink/HelperManager.h"

#include <cerrno>
#include <memory>

#include "shared/ErrnoText.h"
#include "shared/HelperIdentity.h"

namespace orvane {

namespace {

constexpr long statusNotRegistered = 0;
constexpr long statusEnabled = 1;
constexpr long statusRequiresApproval = 2;
constexpr long statusNotFound = 3;

// What one request shares between its handlers. The done flag is touched on the main queue only.
struct Request {
    bool done = false;
    std::shared_ptr<HelperConnection> connection;
    HelperManager::Completion completion;
};

} // namespace

HelperManager::HelperManager(ServiceManager& service, HelperTransport& transport,
                             MainQueue& mainQueue, Log& log)
    : service_(service)
    , transport_(transport)
    , mainQueue_(mainQueue)
    , helperLog_(log, "helper") {}

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
    if (const auto error = service_.registerService()) {
        helperLog_.error("Registering the helper failed: %{public}s", {*error});
    }
    if (service_.status() == statusRequiresApproval) {
        service_.openSystemSettingsLoginItems();
    }
}

void HelperManager::unregister() {
    if (const auto error = service_.unregisterService()) {
        helperLog_.error("Unregistering the helper failed: %{public}s", {*error});
    }
}

void HelperManager::setLimit(std::int64_t megabytes, Completion completion) {
    auto request = std::make_shared<Request>();
    request->completion = std::move(completion);
    request->connection = transport_.connect();

    // Called from the connection's thread; everything else happens on the main queue. The first
    // result wins; the connection is gone before the caller hears of it.
    auto finish = [request, &queue = mainQueue_](SetResult result) {
        queue.post([request, result] {
            if (request->done) {
                return;
            }
            request->done = true;
            if (const auto connection = std::move(request->connection)) {
                connection->invalidate();
            }
            const auto completion = std::move(request->completion);
            completion(result);
        });
    };

    // A transport that cannot even create a connection leaves nothing to talk to.
    if (!request->connection) {
        finish(SetResult::unavailable);
        return;
    }

    const Logger log = helperLog_;
    const bool speaksProtocol =
        request->connection->openProxy([log, finish](const std::string& error) {
            log.error("Helper connection failed: %{public}s", {error});
            finish(SetResult::unavailable);
        });
    if (!speaksProtocol) {
        finish(SetResult::unavailable);
        return;
    }

    // The handlers reach the connection through a weak reference, so that a request that never
    // hears back does not keep its connection alive by itself.
    const std::weak_ptr<HelperConnection> weakConnection = request->connection;
    request->connection->protocolVersion(
        [log, finish, weakConnection, megabytes](std::int64_t version) {
            if (version != helperProtocolVersion) {
                log.error("Helper protocol %ld doesn't match app protocol %ld",
                          {version, helperProtocolVersion});
                finish(SetResult::unavailable);
                return;
            }
            const auto connection = weakConnection.lock();
            if (!connection) {
                return;
            }
            connection->setWiredLimit(megabytes, [log, finish](std::int32_t status) {
                if (status == 0) {
                    finish(SetResult::success);
                } else if (status == EINVAL) {
                    finish(SetResult::rejected);
                } else {
                    log.error("Helper failed to set the limit: %{public}s", {errnoText(status)});
                    finish(SetResult::unavailable);
                }
            });
        });
}

} // namespace orvane
