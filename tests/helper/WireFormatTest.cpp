#include "shared/WireFormat.h"

#include <gtest/gtest.h>
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
    EXPECT_EQ(decode(encode({Operation::protocolVersion, 0})).message,
              (Message{Operation::protocolVersion, 0}));
}

TEST(WireFormat, RefusesEverythingElse) {
    const Packet good = encode({Operation::protocolVersion, 0});
    const auto refused = [](std::vector<std::uint8_t> bytes) {
        const Decoded decoded = decode(bytes);
        return !decoded.message && !decoded.problem.empty();
    };
    std::vector<std::uint8_t> bytes(good.begin(), good.end());

    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused({bytes.begin(), bytes.end() - 1}));
    auto longer = bytes;
    longer.push_back(0);
    EXPECT_TRUE(refused(longer));

    auto wrongMagic = bytes;
    wrongMagic[3] = 'X';
    EXPECT_TRUE(refused(wrongMagic));

    for (const std::uint8_t operation : {0, 3, 255}) {
        auto unknown = bytes;
        unknown[4] = operation;
        EXPECT_TRUE(refused(unknown)) << int(operation);
    }
    for (const std::size_t padding : {5u, 6u, 7u}) {
        auto dirty = bytes;
        dirty[padding] = 1;
        EXPECT_TRUE(refused(dirty)) << padding;
    }
}

} // namespace
} // namespace orvane::wire
