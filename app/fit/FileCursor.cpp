#include "app/fit/FileCursor.h"

#include <algorithm>

#include "app/fit/ModelProblem.h"
#include "shared/ErrnoText.h"

namespace orvane::fit {

namespace {

// Large enough that a 128k-token vocabulary takes a few dozen reads, small enough that the memory
// it takes is never more than a few pages touched for the first time.
constexpr std::size_t windowSize = 256 << 10;

} // namespace

FileCursor::FileCursor(ReadableFile& file, std::string where)
    : file_(file)
    , where_(std::move(where))
    , size_(file.size()) {}

void FileCursor::endsInside() const {
    malformed("the file ends at byte " + std::to_string(size_) + ", inside " + where_);
}

const std::uint8_t* FileCursor::refill(std::size_t n) {
    need(n);
    const std::size_t length =
        static_cast<std::size_t>(std::min<std::uint64_t>(std::max(n, windowSize), remaining()));
    if (length > windowCapacity_) {
        // Not value-initialised: every byte is read into before it is looked at.
        window_.reset(new std::uint8_t[length]);
        windowCapacity_ = length;
    }
    if (const int error = file_.read(offset_, {window_.get(), length}); error != 0) {
        throw ModelError{{"it could not be read: " + errnoText(error), true}};
    }
    windowStart_ = offset_;
    windowLength_ = length;
    offset_ += n;
    return window_.get();
}

void FileCursor::skipStrings(std::uint64_t count) {
    while (count > 0) {
        const std::uint64_t into = offset_ - windowStart_;
        if (offset_ < windowStart_ || into > windowLength_ || windowLength_ - into < 8) {
            skip(u64()); // a length that straddles the window's end, or no window yet
            --count;
            continue;
        }
        const std::uint8_t* const base = window_.get();
        const std::uint64_t end = windowLength_;
        // Past the window's end no length can be read, so every string that starts in it is
        // checked against the file's end and the window's.
        std::uint64_t at = into;
        while (count > 0 && end - at >= 8) {
            std::uint64_t length = 0;
            std::memcpy(&length, base + at, 8);
            if constexpr (std::endian::native == std::endian::big) {
                length = __builtin_bswap64(length);
            }
            at += 8;
            if (length > size_ - windowStart_ - at) {
                offset_ = windowStart_ + at;
                endsInside();
            }
            --count;
            if (length > end - at) { // it ends beyond the window
                offset_ = windowStart_ + at + length;
                break;
            }
            at += length;
            offset_ = windowStart_ + at;
        }
    }
}

} // namespace orvane::fit
