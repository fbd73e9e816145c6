#pragma once

#include <cerrno>
#include <cstring>
#include <span>

#include "platform/ports/ModelFiles.h"

namespace orvane::fuzz {

// A model file held in memory: what a fuzzer's input is read as.
class MemoryFile final : public ReadableFile {
public:
    explicit MemoryFile(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint64_t size() const override { return bytes_.size(); }

    int read(std::uint64_t offset, std::span<std::uint8_t> into) override {
        if (offset > bytes_.size() || into.size() > bytes_.size() - offset) {
            return EIO;
        }
        if (!into.empty()) {
            std::memcpy(into.data(), bytes_.data() + offset, into.size());
        }
        return 0;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

} // namespace orvane::fuzz
