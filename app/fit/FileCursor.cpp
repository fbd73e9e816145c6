#include "app/fit/FileCursor.h"

#include <algorithm>
#include <cstring>

#include "app/fit/ModelProblem.h"
#include "shared/ErrnoText.h"

namespace orvane::fit {

namespace {

// Large enough that a 128k-token vocabulary takes a handful of reads, small enough to be nothing
// beside a model.
constexpr std::size_t windowSize = 1 << 20;

} // namespace

FileCursor::FileCursor(ReadableFile& file, std::string where)
    : file_(file)
    , where_(std::move(where))
    , size_(file.size()) {}

void FileCursor::need(std::uint64_t n) const {
    if (n > remaining()) {
        malformed("the file ends at byte " + std::to_string(size_) + ", inside " + where_);
    }
}

const std::uint8_t* FileCursor::take(std::size_t n) {
    need(n);
    const bool inWindow = offset_ >= windowStart_ && offset_ + n <= windowStart_ + windowLength_;
    if (!inWindow) {
        const std::size_t length =
            static_cast<std::size_t>(std::min<std::uint64_t>(std::max(n, windowSize), remaining()));
        window_.resize(length);
        if (const int error = file_.read(offset_, window_); error != 0) {
            throw ModelError{{"it could not be read: " + errnoText(error), true}};
        }
        windowStart_ = offset_;
        windowLength_ = length;
    }
    const std::uint8_t* bytes = window_.data() + (offset_ - windowStart_);
    offset_ += n;
    return bytes;
}

std::uint8_t FileCursor::u8() {
    return *take(1);
}

std::uint16_t FileCursor::u16() {
    const std::uint8_t* b = take(2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t FileCursor::u32() {
    const std::uint8_t* b = take(4);
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | b[i];
    }
    return value;
}

std::uint64_t FileCursor::u64() {
    const std::uint8_t* b = take(8);
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | b[i];
    }
    return value;
}

std::string FileCursor::text(std::size_t n) {
    const std::uint8_t* b = take(n);
    return std::string(reinterpret_cast<const char*>(b), n);
}

void FileCursor::skip(std::uint64_t n) {
    need(n);
    offset_ += n;
}

} // namespace orvane::fit
