#include "shared/WireFormat.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace orvane::wire {
namespace {

TEST(WireFormat, EncodesLittleEndianWithMagicAndPadding) {
    const Packet packet = encode({Operation::setWiredLimit, 0x0102030405060708});
    const Packet expected = {'O', 'R', 'V', 'H', 1, 0, 0, 0, 8, 7, 6, 5, 4, 3, 2, 1};
    EXPECT_EQ(packet, expected);
}

TEST(WireFormat, RoundTripsEveryOperationAndExtremeValues) {
    for (const Operation operation : {Operation::setWiredLimit, Operation::protocolVersion}) {
        for (const std::int64_t value :
             {std::int64_t{0}, std::int64_t{1}, std::int64_t{-1},
              std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()}) {
            const Packet packet = encode({operation, value});
            const Decoded decoded = decode(packet);
            ASSERT_TRUE(decoded.message);
            EXPECT_EQ(*decoded.message, (Message{operation, value}));
        }
    }
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
