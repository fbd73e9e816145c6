#pragma once

#include <cstring>
#include <optional>
#include <vector>

#include "platform/ports/KernelLimit.h"
#include "platform/ports/PhysicalMemory.h"

namespace orvane::test {

// The kernel variable in memory, with failures on demand.
class FakeKernel final : public KernelLimit {
public:
    std::int64_t value = 0;
    std::size_t answerLength = 4; // the kernel's answer: 4 or 8 bytes
    int readError = 0;
    int writeError = 0;
    std::vector<std::int32_t> writes;

    int read(RawValue& raw) override {
        if (readError != 0) {
            return readError;
        }
        raw = {};
        raw.length = answerLength;
        const auto narrow = static_cast<std::int32_t>(value);
        std::memcpy(raw.bytes.data(),
                    answerLength == 4 ? static_cast<const void*>(&narrow) : &value, answerLength);
        return 0;
    }

    int write(std::int32_t megabytes) override {
        if (writeError != 0) {
            return writeError;
        }
        writes.push_back(megabytes);
        value = megabytes;
        return 0;
    }
};

class FakeMemory final : public PhysicalMemory {
public:
    explicit FakeMemory(std::uint64_t bytes) : bytes_(bytes) {}
    std::uint64_t bytes() override { return bytes_; }
    void set(std::uint64_t bytes) { bytes_ = bytes; }

private:
    std::uint64_t bytes_;
};

inline constexpr std::uint64_t gigabytes(std::uint64_t count) {
    return count * 1073741824ULL;
}

} // namespace orvane::test
