#include "platform/sim/daemon/HelperServer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/sim/Seqpacket.h"
#include "shared/ErrnoText.h"
#include "shared/WireFormat.h"

namespace orvane::sim {

namespace {

// Served per wake-up and connection, so that one busy client cannot starve the others.
constexpr int packetsPerTurn = 16;
// How long to stop accepting when the process runs out of descriptors.
constexpr double acceptPauseSeconds = 0.1;
// How often that shortage is logged while it lasts.
constexpr auto acceptFailureLogPeriod = std::chrono::minutes(1);

// Whether the client has closed its end (or shut down its writing), as opposed to having sent an
// empty packet: both read as 0 bytes.
bool peerHasClosed(int fd) {
    pollfd ready{fd, POLLRDHUP, 0};
    return ::poll(&ready, 1, 0) == 1 && (ready.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

} // namespace

HelperServer::HelperServer(EventLoop& loop, UniqueFd listener, RequestHandler& handler,
                           IdleExit& idleExit, Logger helperLog)
    : loop_(loop)
    , listener_(std::move(listener))
    , handler_(handler)
    , idleExit_(idleExit)
    , log_(helperLog) {}

HelperServer::~HelperServer() {
    for (const auto& [fd, connection] : connections_) {
        loop_.unwatch(fd);
    }
    if (listener_ && !acceptPaused_) {
        loop_.unwatch(listener_.get());
    }
}

bool HelperServer::start() {
    // Accepting runs until the backlog is empty, so it must never block.
    const int flags = ::fcntl(listener_.get(), F_GETFL);
    if (flags < 0 || ::fcntl(listener_.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
        return false;
    }
    return loop_.watch(listener_.get(), [this] { acceptPending(); });
}

void HelperServer::acceptPending() {
    for (;;) {
        UniqueFd client(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!client) {
            const int error = errno;
            if (error == EINTR || error == ECONNABORTED) {
                continue;
            }
            if (error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM) {
                // Said the first time, then at most once a minute, however often it comes back.
                const auto now = EventLoop::Clock::now();
                if (!acceptFailureLogged_ ||
                    now - *acceptFailureLogged_ >= acceptFailureLogPeriod) {
                    acceptFailureLogged_ = now;
                    log_.error("Accepting a connection failed: %{public}s", {errnoText(error)});
                }
                pauseAccepting();
            }
            return;
        }
        // The stand-in for the code-signing requirement: only our own user may connect.
        const auto uid = peerUid(client.get());
        if (!uid || *uid != ::geteuid()) {
            log_.error("Refused a client running as user %ld",
                       {uid ? static_cast<std::int64_t>(*uid) : -1});
            continue;
        }
        const int fd = client.get();
        if (!loop_.watch(fd, [this, fd] { serve(fd); })) {
            continue;
        }
        connections_.emplace(fd, std::move(client));
        idleExit_.connectionOpened();
    }
}

void HelperServer::pauseAccepting() {
    if (acceptPaused_) {
        return;
    }
    acceptPaused_ = true;
    loop_.unwatch(listener_.get());
    loop_.after(acceptPauseSeconds, [this] {
        acceptPaused_ = false;
        loop_.watch(listener_.get(), [this] { acceptPending(); });
        acceptPending();
    });
}

void HelperServer::serve(int fd) {
    // One byte more than a packet: anything that fills it is too long.
    std::array<std::uint8_t, wire::packetSize + 1> buffer{};
    for (int turn = 0; turn < packetsPerTurn; ++turn) {
        const ssize_t received = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT | MSG_TRUNC);
        if (received < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                drop(fd);
            }
            return;
        }
        // Nothing read is either the end of the connection or an empty packet, which is as
        // malformed as any packet of the wrong size and is dropped the same way, with its line.
        if (received == 0 && peerHasClosed(fd)) {
            drop(fd);
            return;
        }
        const auto size = std::min(static_cast<std::size_t>(received), buffer.size());
        const auto reply = handler_.handle({buffer.data(), size});
        if (!reply || ::send(fd, reply->data(), reply->size(), MSG_DONTWAIT | MSG_NOSIGNAL) !=
                          static_cast<ssize_t>(reply->size())) {
            drop(fd);
            return;
        }
    }
}

void HelperServer::drop(int fd) {
    loop_.unwatch(fd);
    if (connections_.erase(fd) > 0) {
        idleExit_.connectionClosed();
    }
}

} // namespace orvane::sim
