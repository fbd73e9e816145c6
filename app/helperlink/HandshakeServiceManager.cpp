#include "app/helperlink/HandshakeServiceManager.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

#include "shared/HelperIdentity.h"

namespace orvane {

namespace {

constexpr long statusNotRegistered = 0;
constexpr long statusEnabled = 1;

// The one answer of a handshake, set from the connection's thread.
struct Answer {
    std::mutex mutex;
    std::condition_variable settled;
    std::optional<std::string> problem; // why the helper is not usable
    bool done = false;

    void settle(std::optional<std::string> why) {
        {
            const std::lock_guard lock(mutex);
            if (done) {
                return;
            }
            done = true;
            problem = std::move(why);
        }
        settled.notify_all();
    }
};

} // namespace

HandshakeServiceManager::HandshakeServiceManager(ServiceManager& system, HelperTransport& transport,
                                                 Log& log, double deadlineSeconds)
    : system_(system)
    , transport_(transport)
    , helperLog_(log, "helper")
    , deadlineSeconds_(deadlineSeconds) {}

long HandshakeServiceManager::status() {
    const std::shared_ptr<HelperConnection> connection = transport_.connect();
    if (!connection) {
        helperLog_.info("The helper is not usable: no connection to it could be made");
        return statusNotRegistered;
    }
    auto answer = std::make_shared<Answer>();
    if (!connection->openProxy([answer](const std::string& error) { answer->settle(error); })) {
        answer->settle("its connection does not speak Orvane's protocol");
    } else {
        connection->protocolVersion([answer](std::int64_t version) {
            answer->settle(
                version == helperProtocolVersion
                    ? std::nullopt
                    : std::optional<std::string>("it speaks protocol " + std::to_string(version)));
        });
    }
    // A transport that bounds its own waits (connecting, starting the daemon, the reply) answers
    // within their sum; the wait here only guards against one that never does.
    const double bound = transport_.boundsEveryWait() ? 4 * deadlineSeconds_ : deadlineSeconds_;
    bool answered = false;
    {
        std::unique_lock lock(answer->mutex);
        answered = answer->settled.wait_for(lock, std::chrono::duration<double>(bound),
                                            [&] { return answer->done; });
    }
    connection->invalidate();
    if (!answered) {
        helperLog_.info("The helper is not usable: it did not answer within %{public}s",
                        {deadlineText(bound)});
        return statusNotRegistered;
    }
    const std::lock_guard lock(answer->mutex);
    if (answer->problem) {
        helperLog_.info("The helper is not usable: %{public}s", {*answer->problem});
        return statusNotRegistered;
    }
    return statusEnabled;
}

} // namespace orvane
