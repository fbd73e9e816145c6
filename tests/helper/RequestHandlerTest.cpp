#include "helper/RequestHandler.h"

#include <cerrno>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vector>

#include "tests/support/FakeKernel.h"
#include "tests/support/FakeLog.h"

namespace orvane {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RequestHandlerTest : public ::testing::Test {
protected:
    std::optional<wire::Message> reply(std::span<const std::uint8_t> packet) {
        const auto bytes = handler.handle(packet);
        if (!bytes) {
            return std::nullopt;
        }
        const auto decoded = wire::decode(*bytes);
        EXPECT_TRUE(decoded.message);
        return decoded.message;
    }

    test::FakeKernel kernel;
    test::FakeMemory memory{test::gigabytes(32)};
    test::FakeLog log;
    HelperService service{kernel, memory, Logger(log, "helper")};
    RequestHandler handler{service, Logger(log, "helper")};
};

TEST_F(RequestHandlerTest, AnswersEachOperationUnderItsOwnCode) {
    using wire::Operation;
    EXPECT_EQ(reply(wire::encode({Operation::protocolVersion, 0})),
              (wire::Message{Operation::protocolVersion, 1}));
    EXPECT_EQ(reply(wire::encode({Operation::setWiredLimit, 20480})),
              (wire::Message{Operation::setWiredLimit, 0}));
    EXPECT_EQ(reply(wire::encode({Operation::setWiredLimit, 1024})),
              (wire::Message{Operation::setWiredLimit, EINVAL}));
    EXPECT_THAT(kernel.writes, ElementsAre(20480));
}

TEST_F(RequestHandlerTest, DropsBadPacketsWithOneLogLineAndNoEffect) {
    auto versionWithValue = wire::encode({wire::Operation::protocolVersion, 7});
    auto garbage = std::vector<std::uint8_t>(16, 0xff);
    auto shortPacket = std::vector<std::uint8_t>(15, 0);

    EXPECT_EQ(reply(versionWithValue), std::nullopt);
    EXPECT_EQ(reply(garbage), std::nullopt);
    EXPECT_EQ(reply(shortPacket), std::nullopt);
    EXPECT_THAT(kernel.writes, IsEmpty());
    const auto entries = log.entries();
    ASSERT_EQ(entries.size(), 3u);
    for (const auto& entry : entries) {
        EXPECT_EQ(entry.level, LogLevel::error);
        EXPECT_THAT(entry.message,
                    ::testing::StartsWith("Dropped a client with a malformed request"));
    }
}

} // namespace
} // namespace orvane
