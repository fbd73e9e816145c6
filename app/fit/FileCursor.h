#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ports/ModelFiles.h"

namespace orvane::fit {

// Reads a file front to back through a window of a fixed size, so that a header of millions of
// small fields costs a few large reads. Every length is checked against what is left of the file
// before anything is read or allocated; running out throws a ModelError that says where the file
// ends ("the file ends at byte 4096, inside its header").
class FileCursor {
public:
    // where names the part being read, for the sentence ("its header").
    FileCursor(ReadableFile& file, std::string where);

    std::uint64_t offset() const { return offset_; }
    std::uint64_t size() const { return size_; }
    std::uint64_t remaining() const { return size_ - offset_; }

    // Throws unless n more bytes are in the file.
    void need(std::uint64_t n) const;

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::uint64_t u64();
    // n bytes as text; n must be small enough to hold (the caller's cap).
    std::string text(std::size_t n);
    void skip(std::uint64_t n);

private:
    const std::uint8_t* take(std::size_t n);

    ReadableFile& file_;
    std::string where_;
    std::uint64_t size_;
    std::uint64_t offset_ = 0;
    std::vector<std::uint8_t> window_;
    std::uint64_t windowStart_ = 0; // file offset of window_[0]
    std::size_t windowLength_ = 0;
};

} // namespace orvane::fit
