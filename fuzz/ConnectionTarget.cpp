// One client connection, served end to end by the daemon's own server loop: the packets travel
// over a real seqpacket socket into HelperServer, RequestHandler and HelperService, which write
// to a fake kernel. An independent reading of the protocol predicts every reply and every write.
//
// Input layout:
//   byte 0      the machine's memory: an index into a table of sizes, or (past the table) the
//               next 8 bytes as raw little-endian bytes
//   next byte   the kernel write's failure: 0 none, else that errno
//   the rest    packets, each a length byte followed by that many bytes (at most 64 packets)

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTargets.h"
#include "helper/HelperService.h"
#include "helper/IdleExit.h"
#include "helper/RequestHandler.h"
#include "platform/sim/UniqueFd.h"
#include "platform/sim/daemon/EventLoop.h"
#include "platform/sim/daemon/HelperServer.h"
#include "tests/support/FakeKernel.h"

namespace orvane::fuzz {

namespace {

constexpr std::uint64_t gib = 1073741824ULL;
constexpr std::array<std::uint64_t, 10> memorySizes = {
    0, gib, 4 * gib, 8 * gib, 16 * gib, 32 * gib, 96 * gib, 192 * gib, 17179869183ULL, ~0ULL};
constexpr std::size_t maxPackets = 64;
constexpr std::int64_t initialLimit = 4242;

class NullLog final : public Log {
public:
    void write(LogLevel, std::string_view, std::string_view) override {}
};

struct Input {
    std::uint64_t memory = 0;
    int writeError = 0;
    std::vector<std::vector<std::uint8_t>> packets;
};

Input parse(const std::uint8_t* data, std::size_t size) {
    Input input;
    std::size_t at = 0;
    const std::uint8_t choice = at < size ? data[at++] : 0;
    if (choice < memorySizes.size()) {
        input.memory = memorySizes[choice];
    } else {
        for (std::size_t i = 0; i < 8 && at < size; ++i) {
            input.memory |= static_cast<std::uint64_t>(data[at++]) << (8 * i);
        }
    }
    input.writeError = at < size ? data[at++] : 0;
    while (at < size && input.packets.size() < maxPackets) {
        const std::size_t wanted = data[at++];
        const std::size_t length = std::min(wanted, size - at);
        input.packets.emplace_back(data + at, data + at + length);
        at += length;
    }
    return input;
}

struct Expected {
    std::vector<std::array<std::uint8_t, 16>> replies;
    std::vector<std::int32_t> writes;
    std::int64_t limit = initialLimit;
};

std::array<std::uint8_t, 16> replyBytes(std::uint8_t operation, std::int64_t value) {
    std::array<std::uint8_t, 16> bytes{'O', 'R', 'V', 'H', operation};
    for (std::size_t i = 0; i < 8; ++i) {
        bytes[8 + i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
    }
    return bytes;
}

// The range rule in exact integers: at least half the memory, at most the memory less 2 GB,
// and a 32-bit number of megabytes.
bool allowed(std::int64_t megabytes, std::uint64_t memory) {
    if (megabytes == 0) {
        return true;
    }
    if (megabytes < 0 || megabytes > INT32_MAX) {
        return false;
    }
    // Below 2^51 bytes: nothing here can overflow.
    const auto bytes = static_cast<std::uint64_t>(megabytes) << 20;
    return bytes * 2 >= memory && bytes + 2 * gib <= memory;
}

// What the daemon must do with the packets, read straight from the protocol: every packet that
// is not a well-formed request ends the connection unanswered, and so does an empty one.
Expected predict(const Input& input) {
    Expected expected;
    for (const auto& packet : input.packets) {
        if (packet.size() != 16 || std::memcmp(packet.data(), "ORVH", 4) != 0 || packet[5] != 0 ||
            packet[6] != 0 || packet[7] != 0) {
            break;
        }
        std::uint64_t raw = 0;
        for (std::size_t i = 0; i < 8; ++i) {
            raw |= static_cast<std::uint64_t>(packet[8 + i]) << (8 * i);
        }
        const auto value = static_cast<std::int64_t>(raw);
        if (packet[4] == 2 && value == 0) {
            expected.replies.push_back(replyBytes(2, 1));
        } else if (packet[4] == 1 && !allowed(value, input.memory)) {
            expected.replies.push_back(replyBytes(1, EINVAL));
        } else if (packet[4] == 1 && input.writeError != 0) {
            expected.replies.push_back(replyBytes(1, input.writeError));
        } else if (packet[4] == 1) {
            expected.writes.push_back(static_cast<std::int32_t>(value));
            expected.limit = value;
            expected.replies.push_back(replyBytes(1, 0));
        } else {
            break;
        }
    }
    return expected;
}

// A listening socket in the abstract namespace, unique to this run, and a client connected to it.
std::pair<sim::UniqueFd, sim::UniqueFd> connectedPair() {
    static std::atomic<unsigned> counter{0};
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name =
        "orvane-fuzz-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    sim::UniqueFd listener(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    check(static_cast<bool>(listener), "a listening socket (descriptors leaking?)");
    check(::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), length) == 0 &&
              ::listen(listener.get(), 1) == 0,
          "binding the listening socket");
    sim::UniqueFd client(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    check(client && ::connect(client.get(), reinterpret_cast<sockaddr*>(&address), length) == 0,
          "connecting the client");
    return {std::move(listener), std::move(client)};
}

} // namespace

int connectionOneInput(const std::uint8_t* data, std::size_t size) {
    Input input = parse(data, size);

    test::FakeKernel kernel;
    kernel.value = initialLimit;
    kernel.writeError = input.writeError;
    test::FakeMemory memory(input.memory);
    NullLog log;
    const Logger helperLog(log, "helper");
    HelperService service(kernel, memory, helperLog);
    RequestHandler handler(service, helperLog);

    auto [listener, client] = connectedPair();
    std::size_t sent = 0;
    while (sent < input.packets.size()) {
        const auto& packet = input.packets[sent];
        if (::send(client.get(), packet.data(), packet.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0) {
            break;
        }
        ++sent;
    }
    input.packets.resize(sent);
    const Expected expected = predict(input);
    // The daemon reads everything sent, then sees the end of the connection and drops it.
    ::shutdown(client.get(), SHUT_WR);

    int status = -1;
    {
        sim::EventLoop loop;
        IdleExit idleExit(
            loop, [&loop](int code) { loop.stop(code); }, 0.0);
        sim::HelperServer server(loop, std::move(listener), handler, idleExit, helperLog);
        check(server.start(), "the server starts");
        loop.after(5.0, [&loop] { loop.stop(2); });
        status = loop.run();
        check(server.connectionCount() == 0, "the ended connection is forgotten");
    }
    check(status == 0, "the connection ends and the idle exit follows");

    std::vector<std::array<std::uint8_t, 16>> replies;
    for (;;) {
        std::array<std::uint8_t, 64> buffer{};
        const ssize_t n = ::recv(client.get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
        // A server that closes with requests still unread makes the first read report the reset;
        // the replies it sent before are still queued behind it.
        if (n < 0 && errno == ECONNRESET) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        check(n == 16, "every reply is exactly 16 bytes");
        std::array<std::uint8_t, 16> reply{};
        std::memcpy(reply.data(), buffer.data(), reply.size());
        replies.push_back(reply);
    }
    check(replies == expected.replies, "the replies are the ones the protocol prescribes");
    check(kernel.writes == expected.writes, "only allowed limits are written, and only those");
    check(kernel.value == expected.limit, "a refused or failed request leaves the limit alone");
    return 0;
}

} // namespace orvane::fuzz
