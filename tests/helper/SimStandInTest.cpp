#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

#include "platform/sim/DirectoryBundle.h"
#include "platform/sim/SimDirectory.h"
#include "platform/sim/SimGpuMemoryStats.h"
#include "platform/sim/SimKernelLimit.h"
#include "platform/sim/SimPhysicalMemory.h"
#include "tests/support/TempDir.h"

namespace orvane::sim {
namespace {

TEST(SimKernelLimit, AnswersInFourOrEightBytesReplacesTheWholeFileAndElseFailsLikeTheKernel) {
    test::TempDir dir;
    SimKernelLimit kernel(dir.path());
    KernelLimit::RawValue raw;
    for (const auto& [text, length, value] : {std::tuple{"14336\n", 4u, 14336LL},
                                              {"-2", 4u, -2LL},
                                              {"6000000000\n", 8u, 6000000000LL}}) {
        dir.write(limitFileName, text);
        ASSERT_EQ(kernel.read(raw), 0);
        EXPECT_EQ(raw.length, length);
        std::int64_t decoded = 0; // little-endian: four bytes are the low half, sign aside
        std::memcpy(&decoded, raw.bytes.data(), raw.length);
        EXPECT_EQ(length == 4 ? static_cast<std::int32_t>(decoded) : decoded, value);
    }
    ASSERT_EQ(kernel.write(8192), 0);
    EXPECT_EQ(dir.read(limitFileName), "8192\n");
    ASSERT_EQ(kernel.write(0), 0);
    EXPECT_EQ(dir.read(limitFileName), "0\n");
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // An absent, damaged or foreign file fails as the kernel would, and is left as it is.
    test::TempDir elsewhere;
    elsewhere.write("target", "8192\n");
    std::filesystem::remove(dir / limitFileName);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(kernel.read(raw), ENOENT);
    EXPECT_EQ(kernel.write(8192), ENOENT);
    EXPECT_FALSE(std::filesystem::exists(dir / limitFileName));
    // Said once, with the way to create the variable.
    const std::string notice = ::testing::internal::GetCapturedStderr();
    const std::string create = "echo 0 > '" + (dir / limitFileName).string() + "'\n";
    EXPECT_EQ(notice.find(create), notice.size() - create.size()) << notice;

    for (const char* damaged : {"", "12a\n", " 12", "12\n\n", "99999999999999999999"}) {
        dir.write(limitFileName, damaged);
        EXPECT_EQ(kernel.read(raw), EIO) << damaged;
    }
    // Only a regular file is read or replaced, and nothing else holds it up.
    const std::function<void()> plants[] = {
        [&] { ::mkfifo((dir / limitFileName).c_str(), 0600); },
        [&] { std::filesystem::create_symlink(elsewhere / "target", dir / limitFileName); },
        [&] { std::filesystem::create_directory(dir / limitFileName); },
    };
    for (const auto& plant : plants) {
        std::filesystem::remove_all(dir / limitFileName);
        plant();
        EXPECT_EQ(kernel.read(raw), EIO);
        EXPECT_EQ(kernel.write(12288), EIO);
        EXPECT_NE(std::filesystem::symlink_status(dir / limitFileName).type(),
                  std::filesystem::file_type::regular);
    }
    EXPECT_EQ(elsewhere.read("target"), "8192\n");
    // A sim directory gone, or a file in its place, gives its own errno.
    EXPECT_EQ(SimKernelLimit(dir / "gone").write(12288), ENOENT);
    dir.write("file", "not a directory\n");
    EXPECT_EQ(SimKernelLimit(dir / "file").write(12288), ENOTDIR);
}

TEST(SimPhysicalMemory, PrefersTheSimFileElseTheMachineAndSaysWhatItCannotUseOnce) {
    test::TempDir dir;
    SimPhysicalMemory memory(dir.path());
    const std::uint64_t machine = memory.bytes();
    EXPECT_GT(machine, 0u);
    dir.write(memsizeFileName, "17179869184\n");
    EXPECT_EQ(memory.bytes(), 17179869184u);

    ::testing::internal::CaptureStderr();
    // A FIFO once stopped the daemon in its open for good.
    std::filesystem::remove(dir / memsizeFileName);
    ASSERT_EQ(::mkfifo((dir / memsizeFileName).c_str(), 0600), 0);
    EXPECT_EQ(memory.bytes(), machine);
    for (const char* unusable : {"0", "-5", "lots", "", "17179869184 \n", "+17179869184\n"}) {
        std::filesystem::remove(dir / memsizeFileName);
        dir.write(memsizeFileName, unusable);
        EXPECT_EQ(memory.bytes(), machine) << unusable;
    }
    // The FIFO refused and ignored, then one line for all that is not a positive number.
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;
    EXPECT_NE(log.find("hw.memsize: it is a FIFO, not a regular file"), std::string::npos) << log;
}

// Where the stand-in's Orvane.app lies decides whether the helper may be registered: what is not
// one absolute path, or not a regular file, answers with a path nothing trusts. A relative path and
// a second line are refused through orvane helper on in the command line's tests.
TEST(DirectoryBundle, TheBundlePathIsTheSimFilesOneLineElseTheInstalledPlace) {
    test::TempDir dir;
    EXPECT_EQ(DirectoryBundle::standInLocation(dir.path()), "/Applications/Orvane.app");
    EXPECT_EQ(DirectoryBundle::standInLocation({}), "");
    ::testing::internal::CaptureStderr();
    for (const auto& [text, location] : std::initializer_list<std::pair<const char*, const char*>>{
             {"/Users/ada/Downloads/Orvane.app\n", "/Users/ada/Downloads/Orvane.app"},
             {"/Volumes/Orvane/Orvane.app", "/Volumes/Orvane/Orvane.app"},
             {"", ""}}) {
        dir.write(bundlePathFileName, text);
        EXPECT_EQ(DirectoryBundle::standInLocation(dir.path()), location) << text;
    }
    std::filesystem::remove(dir / bundlePathFileName);
    std::filesystem::create_symlink("/dev/null", dir / bundlePathFileName);
    EXPECT_EQ(DirectoryBundle::standInLocation(dir.path()), "");
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("bundle.path: it is a symbolic link"), std::string::npos) << log;
}

TEST(SimGpuMemoryStats, ReadsEachFileAsBytesAndAnythingElseAsUnknownNeverZero) {
    test::TempDir dir;
    SimGpuMemoryStats stats(dir.path());
    EXPECT_EQ(stats.read(), GpuMemoryStats::Reading{});

    dir.write(gpuInUseFileName, "13314398618\n");
    EXPECT_EQ(stats.read(), (GpuMemoryStats::Reading{13314398618u, std::nullopt}));
    dir.write(gpuAllocatedFileName, "0");
    EXPECT_EQ(stats.read(), (GpuMemoryStats::Reading{13314398618u, 0u}));

    for (const char* unusable : {"", "-1", "12 GB", "1e9", "99999999999999999999", "12\n\n"}) {
        dir.write(gpuInUseFileName, unusable);
        EXPECT_EQ(stats.read().inUseBytes, std::nullopt) << unusable;
    }
    std::filesystem::remove(dir / gpuAllocatedFileName);
    std::filesystem::create_directory(dir / gpuAllocatedFileName); // not a file
    EXPECT_EQ(stats.read().allocatedBytes, std::nullopt);
}

TEST(SimDirectory, IsCreatedOnFirstUseButNeverRefilledAndElseFollowsTheXdgStateHome) {
    test::TempDir dir;
    const auto sim = dir / "state";
    ::setenv("ORVANE_SIM_DIR", sim.c_str(), 1);
    ASSERT_EQ(ensureSimDirectory(), 0);
    EXPECT_EQ(dir.read("state/" + std::string(limitFileName)), "0\n");

    std::filesystem::remove(sim / limitFileName);
    ASSERT_EQ(ensureSimDirectory(), 0);
    EXPECT_FALSE(std::filesystem::exists(sim / limitFileName));
    ::unsetenv("ORVANE_SIM_DIR");
    ::setenv("XDG_STATE_HOME", "/somewhere/state", 1);
    EXPECT_EQ(simDirectory(), "/somewhere/state/orvane-sim");
    ::unsetenv("XDG_STATE_HOME");

    // Without HOME the password database names the home folder; never a shared one like /tmp.
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::unsetenv("HOME");
    const passwd* entry = ::getpwuid(::geteuid());
    EXPECT_EQ(simDirectory(), entry
                                  ? std::filesystem::path(entry->pw_dir) / ".local/state/orvane-sim"
                                  : std::filesystem::path());
    ::setenv("HOME", home.c_str(), 1);
}

} // namespace
} // namespace orvane::sim
