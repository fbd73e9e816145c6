#pragma once

#include <cstdio>
#include <cstdlib>

namespace orvane::fuzz {

// A broken invariant is a finding: say which, then crash so that libFuzzer keeps the input.
[[noreturn]] inline void violated(const char* what) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

inline void check(bool holds, const char* what) {
    if (!holds) {
        violated(what);
    }
}

} // namespace orvane::fuzz
