#include "helper/HelperService.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <tuple>

#include "tests/support/FakeKernel.h"
#include "tests/support/FakeLog.h"

namespace orvane {
namespace {

// Zero is written even when the memory reads as nothing. A machine of 4194304 GB has exactly
// 2^31 MB as its half: in range, but not for the kernel's int. The log lines are tested with the
// daemon's answers.
TEST(HelperService, WritesOnlyWhatTheRangeAndTheKernelsIntAllowAndPassesTheKernelsErrnoOn) {
    constexpr std::uint64_t huge = 4194304;
    // {machine GB, requested MB, the kernel's errno, reply}
    const std::tuple<std::uint64_t, std::int64_t, int, int> cases[] = {
        {0, 0, 0, 0},
        {16, 8192, 0, 0},
        {16, 14336, 0, 0},
        {16, 10000, 0, 0},
        {16, 8191, 0, EINVAL},
        {16, 14337, 0, EINVAL},
        {16, -1024, 0, EINVAL},
        {huge, 1LL << 31, 0, EINVAL},
        {huge, 7294967296LL, 0, EINVAL},
        {16, 12288, EPERM, EPERM},
        {16, 0, ENOENT, ENOENT}};
    for (const auto& [gigabytes, megabytes, kernelError, reply] : cases) {
        test::FakeKernel kernel;
        kernel.writeError = kernelError;
        test::FakeMemory memory{test::gigabytes(gigabytes)};
        test::FakeLog log;
        HelperService service{kernel, memory, Logger(log, "helper")};
        EXPECT_EQ(service.setWiredLimit(megabytes), reply) << megabytes;
        EXPECT_EQ(kernel.writes.size(), reply == 0 ? 1u : 0u) << megabytes;
        EXPECT_EQ(kernel.value, reply == 0 ? megabytes : 0) << megabytes;
        EXPECT_EQ(log.entries().size(), 1u);
    }
}

} // namespace
} // namespace orvane
