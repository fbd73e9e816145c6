#include "platform/sim/helperlink/HelperExchange.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <sys/socket.h>

#include "platform/sim/helperlink/HelperStarter.h"
#include "shared/ErrnoText.h"

namespace orvane::sim {

namespace {

constexpr const char* endedEarly = "The helper closed the connection before it replied.";
constexpr const char* invalidated = "The connection was invalidated.";

// A daemon reached as it ends its idle period closes the connection, or refuses it, before
// answering; until its listener is gone the next connection can reach it again. A few attempts,
// each ended at once by the daemon, and never one once a limit was sent or a reply came.
constexpr int maxRetries = 3;

struct Trip {
    std::optional<std::int64_t> value;
    bool ended = false; // the daemon closed the connection
    std::string problem;
};

Trip failedTrip(const std::string& what, int error) {
    return {std::nullopt, false, what + ": " + errnoText(error) + "."};
}

Trip readReply(std::span<const std::uint8_t> bytes, const wire::Message& request) {
    const wire::Decoded decoded = wire::decode(bytes);
    if (!decoded.message) {
        return {std::nullopt, false,
                "The helper's reply could not be read: " + std::string(decoded.problem) + "."};
    }
    if (decoded.message->operation != request.operation) {
        return {std::nullopt, false, "The helper's reply answers another request."};
    }
    const std::int64_t value = decoded.message->value;
    if (request.operation == wire::Operation::setWiredLimit &&
        (value < std::numeric_limits<std::int32_t>::min() ||
         value > std::numeric_limits<std::int32_t>::max())) {
        return {std::nullopt, false, "The helper's reply carries a status code out of range."};
    }
    return {value, false, {}};
}

// The socket's send and receive time out after the deadline (EAGAIN): the daemon is stopped,
// busy elsewhere for good, or something that is not our daemon accepted and says nothing.
Trip timedOut(const std::string& wait, double deadlineSeconds) {
    return {std::nullopt, false, wait + " within " + deadlineText(deadlineSeconds) + "."};
}

Trip roundTrip(int fd, const wire::Message& request, double deadlineSeconds, bool justStarted) {
    const wire::Packet packet = wire::encode(request);
    ssize_t sent = 0;
    do {
        sent = ::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    const int sendError = sent < 0 ? errno : 0;
    if (sendError == EPIPE || sendError == ECONNRESET) {
        return {std::nullopt, true, endedEarly};
    }
    if (sendError == EAGAIN) {
        return timedOut("The helper did not take the request", deadlineSeconds);
    }
    if (sent != static_cast<ssize_t>(packet.size())) {
        return failedTrip("Could not send the request to the helper",
                          sendError != 0 ? sendError : EMSGSIZE);
    }
    // One byte more than a packet, so that a longer reply shows as such.
    std::array<std::uint8_t, wire::packetSize + 1> buffer{};
    ssize_t received = 0;
    do {
        received = ::recv(fd, buffer.data(), buffer.size(), MSG_TRUNC);
    } while (received < 0 && errno == EINTR);
    const int receiveError = received < 0 ? errno : 0;
    if (received == 0 || receiveError == ECONNRESET) {
        return {std::nullopt, true, endedEarly};
    }
    if (receiveError == EAGAIN) {
        return timedOut(justStarted ? "The helper was started but did not reply"
                                    : "The helper did not reply",
                        deadlineSeconds);
    }
    if (received < 0) {
        return failedTrip("Could not receive the helper's reply", receiveError);
    }
    const auto size = std::min(static_cast<std::size_t>(received), buffer.size());
    return readReply({buffer.data(), size}, request);
}

} // namespace

HelperExchange::Outcome HelperExchange::exchange(const wire::Message& request) {
    if (!failure_.empty()) {
        return {std::nullopt, failure_};
    }
    for (;;) {
        if (slot_.cancelled()) {
            return fail(invalidated);
        }
        bool justStarted = false;
        if (!fd_) {
            HelperSocket socket = connect_(site_, [this] { return slot_.cancelled(); });
            // Refused right after a start: the daemon we found or started ended as we came.
            if (!socket.fd && socket.refused && mayRetry()) {
                ++retries_;
                continue;
            }
            if (!socket.fd) {
                return fail(std::move(socket.problem));
            }
            fd_ = std::move(socket.fd);
            justStarted = socket.started;
            if (!slot_.publish(fd_.get())) {
                return fail(invalidated);
            }
        }
        limitSent_ = limitSent_ || request.operation == wire::Operation::setWiredLimit;
        const Trip trip = roundTrip(fd_.get(), request, site_.deadlineSeconds, justStarted);
        if (trip.value) {
            answered_ = true;
            return {trip.value, {}};
        }
        if (trip.ended && mayRetry()) {
            ++retries_;
            close();
            continue;
        }
        return fail(trip.problem);
    }
}

bool HelperExchange::mayRetry() const {
    return !answered_ && !limitSent_ && retries_ < maxRetries;
}

void HelperExchange::close() {
    slot_.withdraw();
    fd_.reset();
}

HelperExchange::Outcome HelperExchange::fail(std::string problem) {
    failure_ = problem;
    close();
    return {std::nullopt, std::move(problem)};
}

} // namespace orvane::sim
