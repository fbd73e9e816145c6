#include "tests/helperlink/DoubleServer.h"

#include <array>
#include <poll.h>
#include <sys/socket.h>

#include "platform/sim/Seqpacket.h"

namespace orvane::test {

DoubleServer::DoubleServer(const std::filesystem::path& socketPath, Answer answer)
    : answer_(std::move(answer)) {
    int error = 0;
    listener_ = sim::listenSeqpacket(socketPath, &error);
    thread_ = std::thread([this] { serve(); });
}

DoubleServer::~DoubleServer() {
    stop_ = true;
    thread_.join();
}

std::vector<wire::Message> DoubleServer::received() const {
    const std::lock_guard lock(mutex_);
    return received_;
}

bool DoubleServer::readable(int fd) const {
    // Polls briefly so that the destructor is noticed.
    pollfd ready{fd, POLLIN, 0};
    while (!stop_) {
        if (::poll(&ready, 1, 20) == 1) {
            return true;
        }
    }
    return false;
}

void DoubleServer::serve() {
    for (int connection = 0; listener_ && readable(listener_.get()); ++connection) {
        const sim::UniqueFd client(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (client) {
            converse(client.get(), connection);
        }
    }
}

void DoubleServer::converse(int fd, int connection) {
    std::array<std::uint8_t, wire::packetSize> buffer{};
    while (readable(fd)) {
        if (::recv(fd, buffer.data(), buffer.size(), 0) != static_cast<ssize_t>(buffer.size())) {
            return;
        }
        const auto request = wire::decode(buffer).message;
        if (!request) {
            return;
        }
        {
            const std::lock_guard lock(mutex_);
            received_.push_back(*request);
        }
        const auto value = answer_(*request, connection);
        if (!value) {
            return;
        }
        const wire::Packet reply = wire::encode({request->operation, *value});
        ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
    }
}

} // namespace orvane::test
