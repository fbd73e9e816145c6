#include <algorithm>
#include <cstring>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTargets.h"
#include "shared/WireFormat.h"

namespace orvane::fuzz {

int wireDecodeOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const wire::Decoded decoded = wire::decode(bytes);
    if (!decoded.message) {
        check(!decoded.problem.empty(), "a refusal names its problem");
        return 0;
    }
    check(decoded.problem.empty(), "an accepted packet carries no problem");
    check(size == wire::packetSize, "only 16 bytes are ever accepted");
    const wire::Packet again = wire::encode(*decoded.message);
    check(std::equal(again.begin(), again.end(), bytes.begin()),
          "an accepted packet re-encodes to the same bytes");
    const wire::Decoded twice = wire::decode(again);
    check(twice.message && *twice.message == *decoded.message, "decoding is stable");
    return 0;
}

} // namespace orvane::fuzz
