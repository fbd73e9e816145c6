#include "platform/sim/helperlink/SimHelperConnection.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <sys/socket.h>
#include <system_error>
#include <thread>

#include "platform/sim/helperlink/HelperExchange.h"

namespace orvane::sim {

// What the connection shares with its worker thread, which may outlive the connection briefly.
struct SimHelperConnection::Shared final : HelperExchange::SocketSlot {
    explicit Shared(HelperSite site) : exchange(std::move(site), *this) {}

    // The worker's; nobody else touches it.
    HelperExchange exchange;

    // Held by the worker while it runs a handler, so that invalidate() can wait for that to end.
    std::mutex delivering;

    std::mutex mutex; // guards everything below
    std::condition_variable wake;
    std::deque<Pending> pending;
    ErrorHandler onError;
    bool invalidated = false;
    bool started = false;
    std::thread::id worker;
    int socket = -1; // the worker's connected socket, for invalidate() to shut down

    bool publish(int fd) override {
        const std::lock_guard lock(mutex);
        socket = invalidated ? -1 : fd;
        return !invalidated;
    }
    void withdraw() override {
        const std::lock_guard lock(mutex);
        socket = -1;
    }
    bool cancelled() override {
        const std::lock_guard lock(mutex);
        return invalidated;
    }
};

namespace {

using Shared = SimHelperConnection::Shared;
using Pending = SimHelperConnection::Pending;

void deliver(Shared& shared, Pending& pending, const HelperExchange::Outcome& outcome) {
    const std::lock_guard delivering(shared.delivering);
    HelperConnection::ErrorHandler onError;
    {
        const std::lock_guard lock(shared.mutex);
        if (shared.invalidated) {
            return;
        }
        onError = shared.onError;
    }
    if (outcome.value) {
        pending.reply(*outcome.value);
    } else if (onError) {
        onError(outcome.problem);
    }
}

void serve(const std::shared_ptr<Shared>& shared) {
    for (;;) {
        Pending next;
        {
            std::unique_lock lock(shared->mutex);
            shared->wake.wait(lock,
                              [&] { return shared->invalidated || !shared->pending.empty(); });
            if (shared->invalidated) {
                break;
            }
            next = std::move(shared->pending.front());
            shared->pending.pop_front();
        }
        deliver(*shared, next, shared->exchange.exchange(next.request));
    }
    shared->exchange.close();
}

} // namespace

SimHelperConnection::SimHelperConnection(HelperSite site)
    : shared_(std::make_shared<Shared>(std::move(site))) {}

SimHelperConnection::~SimHelperConnection() {
    invalidate();
}

bool SimHelperConnection::openProxy(ErrorHandler onError) {
    const std::lock_guard lock(shared_->mutex);
    if (!shared_->invalidated) {
        shared_->onError = std::move(onError);
    }
    return true;
}

void SimHelperConnection::protocolVersion(VersionReply reply) {
    enqueue({{wire::Operation::protocolVersion, 0}, std::move(reply)});
}

void SimHelperConnection::setWiredLimit(std::int64_t megabytes, StatusReply reply) {
    // The exchange has made sure that a status reply fits in 32 bits.
    enqueue({{wire::Operation::setWiredLimit, megabytes},
             [reply = std::move(reply)](std::int64_t status) {
                 reply(static_cast<std::int32_t>(status));
             }});
}

void SimHelperConnection::enqueue(Pending pending) {
    std::deque<Pending> refused; // released outside the lock
    std::unique_lock lock(shared_->mutex);
    if (shared_->invalidated) {
        refused.push_back(std::move(pending));
        return;
    }
    shared_->pending.push_back(std::move(pending));
    if (shared_->started) {
        shared_->wake.notify_one();
        return;
    }
    try {
        std::thread worker([shared = shared_] { serve(shared); });
        shared_->worker = worker.get_id();
        shared_->started = true;
        worker.detach();
    } catch (const std::system_error& error) {
        // Without a thread there is nobody to deliver on but the caller.
        const ErrorHandler onError = shared_->onError;
        refused.swap(shared_->pending);
        lock.unlock();
        if (onError) {
            onError(std::string("Could not start the connection's thread: ") + error.what() + ".");
        }
    }
}

void SimHelperConnection::invalidate() {
    std::deque<Pending> dropped; // released after every lock
    ErrorHandler droppedError;
    bool onWorker = false;
    {
        const std::lock_guard lock(shared_->mutex);
        if (shared_->invalidated) {
            return;
        }
        onWorker = shared_->started && shared_->worker == std::this_thread::get_id();
    }
    // A handler that invalidates its own connection already holds the delivery lock; anyone
    // else waits here for a handler that is running to return.
    std::unique_lock delivering(shared_->delivering, std::defer_lock);
    if (!onWorker) {
        delivering.lock();
    }
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->invalidated = true;
        if (shared_->socket >= 0) {
            ::shutdown(shared_->socket, SHUT_RDWR);
        }
        dropped.swap(shared_->pending);
        droppedError.swap(shared_->onError);
    }
    shared_->wake.notify_all();
}

} // namespace orvane::sim
