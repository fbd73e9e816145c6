// libFuzzer's entry, bound to one target by ORVANE_FUZZ_TARGET at compile time.

#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return orvane::fuzz::ORVANE_FUZZ_TARGET(data, size);
}
