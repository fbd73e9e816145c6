#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "app/fit/ModelShape.h"

namespace orvane::fit {

// The element type of the KV cache, as llama.cpp's --cache-type-k/-v take it.
enum class KvType { f16, q8_0, q4_0 };

std::string_view kvTypeName(KvType type);
std::optional<KvType> kvTypeNamed(std::string_view name);

// Bytes of one cached row of width elements: 2 per element for f16; q8_0 and q4_0 store blocks of
// 32 elements in 34 and 18 bytes (ggml's row size), a partial block taking a whole one.
std::uint64_t kvRowBytes(KvType type, std::uint64_t width);

// What llama.cpp keeps besides weights, KV cache and compute buffers: the Metal device's and the
// graph's own allocations, the output buffer and the runtime's heap. A stated round figure.
inline constexpr std::uint64_t overheadBytes = std::uint64_t{512} << 20;

// The tokens llama.cpp is asked for when none is given: 8192, or the model's trained context when
// that is smaller.
inline constexpr std::uint64_t defaultContextTokens = 8192;
std::uint64_t defaultContext(const ModelShape& shape);

struct Estimate {
    std::uint64_t weightBytes = 0;
    std::uint64_t kvCacheBytes = 0;
    std::uint64_t computeBytes = 0;
    std::uint64_t overheadBytes = 0;
    std::uint64_t cells = 0;        // the KV cache's size in tokens, as allocated
    std::uint64_t slidingCells = 0; // the same for the sliding layers

    std::uint64_t totalBytes() const;
};

// The memory the model needs on the GPU with this context and KV type. A shape without layers (a
// plain size) needs its weights and the overhead only. Saturates instead of wrapping.
Estimate estimate(const ModelShape& shape, std::uint64_t contextTokens, KvType kvType);

} // namespace orvane::fit
