#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "platform/ports/ModelFiles.h"

namespace orvane::fit {

// Reads a file front to back through a window of a fixed size, so that a header of millions of
// small fields costs a few large reads. Every length is checked against what is left of the file
// before anything is read or allocated; running out throws a ModelError that says where the file
// ends ("the file ends at byte 4096, inside its header"). The field readers are inline: a
// vocabulary is hundreds of thousands of them.
class FileCursor {
public:
    // where names the part being read, for the sentence ("its header").
    FileCursor(ReadableFile& file, std::string where);

    std::uint64_t offset() const { return offset_; }
    std::uint64_t size() const { return size_; }
    std::uint64_t remaining() const { return size_ - offset_; }

    // Throws unless n more bytes are in the file.
    void need(std::uint64_t n) const {
        if (n > remaining()) {
            endsInside();
        }
    }

    std::uint8_t u8() { return *take(1); }
    std::uint16_t u16() { return little<std::uint16_t>(); }
    std::uint32_t u32() { return little<std::uint32_t>(); }
    std::uint64_t u64() { return little<std::uint64_t>(); }
    // n bytes as text; n must be small enough to hold (the caller's cap).
    std::string text(std::size_t n) {
        const std::uint8_t* bytes = take(n);
        return std::string(reinterpret_cast<const char*>(bytes), n);
    }
    void skip(std::uint64_t n) {
        need(n);
        offset_ += n;
    }
    // Skips count strings, each a 64-bit length and that many bytes: a vocabulary or a list of
    // merges, walked in the window itself since they are most of a header.
    void skipStrings(std::uint64_t count);

private:
    template <class T>
    T little() {
        const std::uint8_t* bytes = take(sizeof(T));
        T value = 0;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(&value, bytes, sizeof(T));
        } else {
            for (std::size_t i = sizeof(T); i-- > 0;) {
                value = static_cast<T>((value << 8) | bytes[i]);
            }
        }
        return value;
    }

    const std::uint8_t* take(std::size_t n) {
        // In the window: start at or after its start, end at or before its end (a skip may have
        // left the window behind).
        const std::uint64_t into = offset_ - windowStart_;
        if (offset_ >= windowStart_ && into <= windowLength_ && n <= windowLength_ - into) {
            const std::uint8_t* bytes = window_.get() + into;
            offset_ += n;
            return bytes;
        }
        return refill(n);
    }

    const std::uint8_t* refill(std::size_t n);
    [[noreturn]] void endsInside() const;

    ReadableFile& file_;
    std::string where_;
    std::uint64_t size_;
    std::uint64_t offset_ = 0;
    std::unique_ptr<std::uint8_t[]> window_;
    std::size_t windowCapacity_ = 0;
    std::uint64_t windowStart_ = 0; // file offset of window_[0]
    std::size_t windowLength_ = 0;
};

} // namespace orvane::fit
