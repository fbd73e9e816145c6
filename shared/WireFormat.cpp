#include "shared/WireFormat.h"

namespace orvane::wire {

namespace {

constexpr std::array<std::uint8_t, 4> magic = {'O', 'R', 'V', 'H'};
constexpr std::size_t operationOffset = 4;
constexpr std::size_t valueOffset = 8;

} // namespace

Packet encode(const Message& message) {
    Packet packet{};
    for (std::size_t i = 0; i < magic.size(); ++i) {
        packet[i] = magic[i];
    }
    packet[operationOffset] = static_cast<std::uint8_t>(message.operation);
    const auto value = static_cast<std::uint64_t>(message.value);
    for (std::size_t i = 0; i < 8; ++i) {
        packet[valueOffset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return packet;
}

Decoded decode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != packetSize) {
        return {std::nullopt, "the packet is not 16 bytes long"};
    }
    for (std::size_t i = 0; i < magic.size(); ++i) {
        if (bytes[i] != magic[i]) {
            return {std::nullopt, "the packet does not start with ORVH"};
        }
    }
    const std::uint8_t operation = bytes[operationOffset];
    if (operation != static_cast<std::uint8_t>(Operation::setWiredLimit) &&
        operation != static_cast<std::uint8_t>(Operation::protocolVersion)) {
        return {std::nullopt, "the packet names an unknown operation"};
    }
    for (std::size_t i = operationOffset + 1; i < valueOffset; ++i) {
        if (bytes[i] != 0) {
            return {std::nullopt, "the packet's padding is not zero"};
        }
    }
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        value |= static_cast<std::uint64_t>(bytes[valueOffset + i]) << (8 * i);
    }
    return {Message{static_cast<Operation>(operation), static_cast<std::int64_t>(value)}, {}};
}

} // namespace orvane::wire
