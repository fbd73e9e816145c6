#include "helper/HelperService.h"

#include <cerrno>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/FakeKernel.h"
#include "tests/support/FakeLog.h"

namespace orvane {
namespace {

using test::error;
using test::info;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class HelperServiceTest : public ::testing::Test {
protected:
    test::FakeKernel kernel;
    test::FakeMemory memory{test::gigabytes(16)};
    test::FakeLog log;
    HelperService service{kernel, memory, Logger(log, "helper")};
};

TEST_F(HelperServiceTest, ZeroIsWrittenWithoutLookingAtTheMemoryAndTheVersionIsOne) {
    memory.set(0);
    kernel.value = 9000;
    EXPECT_EQ(service.protocolVersion(), 1);
    EXPECT_EQ(service.setWiredLimit(0), 0);
    EXPECT_THAT(kernel.writes, ElementsAre(0));
    EXPECT_THAT(log.entries(), ElementsAre(info("helper", "Set wired limit to 0 MB")));
}

TEST_F(HelperServiceTest, AcceptsBothBoundsAndRefusesOneMegabyteOutsideWithEinval) {
    EXPECT_EQ(service.setWiredLimit(8192), 0);
    EXPECT_EQ(service.setWiredLimit(14336), 0);
    EXPECT_EQ(service.setWiredLimit(10000), 0);
    EXPECT_EQ(service.setWiredLimit(8191), EINVAL);
    EXPECT_EQ(service.setWiredLimit(14337), EINVAL);
    EXPECT_EQ(service.setWiredLimit(-1024), EINVAL);
    EXPECT_THAT(kernel.writes, ElementsAre(8192, 14336, 10000));
    EXPECT_THAT(log.entries(), ElementsAre(info("helper", "Set wired limit to 8192 MB"),
                                           info("helper", "Set wired limit to 14336 MB"),
                                           info("helper", "Set wired limit to 10000 MB"),
                                           error("helper", "Rejected wired limit 8191 MB"),
                                           error("helper", "Rejected wired limit 14337 MB"),
                                           error("helper", "Rejected wired limit -1024 MB")));
}

TEST_F(HelperServiceTest, RefusesValuesBeyondThirtyTwoBitsEvenWhenTheRangeAllowsThem) {
    memory.set(test::gigabytes(4194304)); // half of it is exactly 2^31 MB
    EXPECT_EQ(service.setWiredLimit(2147483648LL), EINVAL);
    EXPECT_EQ(service.setWiredLimit(4294967296LL + 3000000000LL), EINVAL);
    EXPECT_THAT(kernel.writes, IsEmpty());
}

TEST_F(HelperServiceTest, PassesTheKernelsErrnoOnAndLogsItsText) {
    kernel.writeError = EINVAL;
    EXPECT_EQ(service.setWiredLimit(12288), EINVAL);
    kernel.writeError = EPERM;
    EXPECT_EQ(service.setWiredLimit(12288), EPERM);
    kernel.writeError = ENOENT;
    EXPECT_EQ(service.setWiredLimit(0), ENOENT);
    EXPECT_THAT(
        log.entries(),
        ElementsAre(error("helper", "Setting wired limit failed: Invalid argument"),
                    error("helper", "Setting wired limit failed: Operation not permitted"),
                    error("helper", "Setting wired limit failed: No such file or directory")));
}

} // namespace
} // namespace orvane
