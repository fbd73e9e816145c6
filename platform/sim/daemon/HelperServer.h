#pragma once

#include <optional>
#include <unordered_map>

#include "helper/IdleExit.h"
#include "helper/RequestHandler.h"
#include "platform/sim/UniqueFd.h"
#include "platform/sim/daemon/EventLoop.h"
#include "shared/Logger.h"

namespace orvane::sim {

// Serves the helper protocol on a listening seqpacket socket: accepts clients of our own user,
// answers each request packet, drops a connection that sends a bad one, and keeps the idle exit
// informed of every connection that opens and closes.
class HelperServer {
public:
    HelperServer(EventLoop& loop, UniqueFd listener, RequestHandler& handler, IdleExit& idleExit,
                 Logger helperLog);
    ~HelperServer();
    HelperServer(const HelperServer&) = delete;
    HelperServer& operator=(const HelperServer&) = delete;

    bool start();
    std::size_t connectionCount() const { return connections_.size(); }

private:
    void acceptPending();
    void pauseAccepting();
    void serve(int fd);
    void drop(int fd);

    EventLoop& loop_;
    UniqueFd listener_;
    RequestHandler& handler_;
    IdleExit& idleExit_;
    Logger log_;
    std::unordered_map<int, UniqueFd> connections_;
    bool acceptPaused_ = false;
    std::optional<EventLoop::Clock::time_point> acceptFailureLogged_; // when last said
};

} // namespace orvane::sim
