// Every seed and every input a fuzzer ever crashed on, run through the fuzz targets in the
// ordinary build: a broken invariant aborts the test.

#include <filesystem>
#include <gtest/gtest.h>

#include "fuzz/FuzzTargets.h"
#include "tests/support/TempDir.h"

namespace orvane::fuzz {
namespace {

using Target = int (*)(const std::uint8_t*, std::size_t);

std::size_t replay(const std::string& name, Target target) {
    std::size_t count = 0;
    for (const char* root : {ORVANE_FUZZ_CORPUS, ORVANE_FUZZ_REGRESSIONS}) {
        const std::filesystem::path folder = std::filesystem::path(root) / name;
        if (!std::filesystem::is_directory(folder)) {
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string bytes = test::readFile(entry.path());
            SCOPED_TRACE(entry.path().string());
            EXPECT_EQ(target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
            ++count;
        }
    }
    return count;
}

TEST(FuzzReplay, EverySeedAndReproducerHoldsTheInvariants) {
    EXPECT_GT(replay("wireDecode", wireDecodeOneInput), 0u);
    EXPECT_GT(replay("connection", connectionOneInput), 0u);
    EXPECT_GT(replay("feed", feedOneInput), 0u);
    EXPECT_GT(replay("gguf", ggufOneInput), 0u);
    EXPECT_GT(replay("safetensors", safetensorsOneInput), 0u);
    EXPECT_GT(replay("ollamaManifest", ollamaManifestOneInput), 0u);
}

} // namespace
} // namespace orvane::fuzz
