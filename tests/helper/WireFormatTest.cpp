#include "shared/WireFormat.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace orvane::wire {
namespace {

TEST(WireFormat, EncodesLittleEndianWithMagicAndPaddingAndDecodesItBack) {
    const Message message{Operation::setWiredLimit, -0x0102030405060708};
    const Packet packet = encode(message);
    const Packet expected = {'O',  'R',  'V',  'H',  1,    0,    0,    0,
                             0xf8, 0xf8, 0xf9, 0xfa, 0xfb, 0xfc, 0xfd, 0xfe};
    EXPECT_EQ(packet, expected);
    EXPECT_EQ(decode(packet).message, message);
}

TEST(WireFormat, RefusesEverythingElse) {
    const Packet good = encode({Operation::protocolVersion, 0});
    const std::vector<std::uint8_t> bytes(good.begin(), good.end());
    auto longer = bytes;
    longer.push_back(0);
    std::vector<std::vector<std::uint8_t>> refused = {{}, {bytes.begin(), bytes.end() - 1}, longer};
    // Each byte of the magic in the other case ("oRVH" ... "ORVh"), then {byte, value}: unknown
    // operations, padding that is not zero
    for (std::size_t at = 0; at < 4; ++at) {
        refused.push_back(bytes);
        refused.back()[at] ^= 0x20;
    }
    for (const auto& [at, value] :
         {std::pair<int, int>{4, 0}, {4, 3}, {4, 255}, {5, 1}, {6, 1}, {7, 1}}) {
        refused.push_back(bytes);
        refused.back()[at] = static_cast<std::uint8_t>(value);
    }
    for (const auto& bad : refused) {
        const Decoded decoded = decode(bad);
        EXPECT_FALSE(decoded.message) << bad.size() << " bytes";
        EXPECT_FALSE(decoded.problem.empty());
    }
}

} // namespace
} // namespace orvane::wire
