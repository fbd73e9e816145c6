#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The packets that carry the helper protocol over the local socket: one request or one reply per
// packet, 16 bytes, little-endian. Anything else is refused as a whole.
namespace orvane::wire {

inline constexpr std::size_t packetSize = 16;

enum class Operation : std::uint8_t {
    setWiredLimit = 1,   // request: megabytes; reply: status code (errno, 0 = success)
    protocolVersion = 2, // request: 0; reply: the daemon's protocol version
};

struct Message {
    Operation operation;
    std::int64_t value;

    friend bool operator==(const Message&, const Message&) = default;
};

using Packet = std::array<std::uint8_t, packetSize>;

Packet encode(const Message& message);

struct Decoded {
    std::optional<Message> message;
    std::string_view problem; // why the bytes were refused; empty when message is set
};

Decoded decode(std::span<const std::uint8_t> bytes);

} // namespace orvane::wire
