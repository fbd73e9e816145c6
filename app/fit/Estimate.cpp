// The figures follow what llama.cpp allocates when it loads a model with one sequence, no flash
// attention and its default micro-batch of 512 tokens:
//
// KV cache (llama-kv-cache.cpp, llama-kv-cache-iswa.cpp, llama-context.cpp). The context is
// rounded up to a multiple of 256 cells. Each layer that caches anything holds a key row of
// n_embd_k_gqa elements and a value row per cell. Without flash attention the values are stored
// transposed, and every layer's value rows are as wide as the widest layer's. Layers on a sliding
// window get a cache of their own, of the window plus one micro-batch, also rounded up to 256,
// and never more than the full cache.
//
// Compute buffers (llama-graph.cpp, ggml-alloc.c). llama.cpp reserves the worst graph, a full
// micro-batch against the whole cache, and the allocator reuses memory between layers, so the
// buffer is the largest set of tensors alive at once. Without flash attention that is the
// attention scores of one layer, f32 of heads × cells for each token, with the mask (a cell per
// token) and about four activations as wide as the embedding beside them; or, at the end of the
// graph, the logits, a vocabulary of f32 per token, with the last activation. The larger of the
// two is the estimate; the feed-forward's activations are smaller than either at any context
// worth estimating.

#include "app/fit/Estimate.h"

#include <algorithm>
#include <limits>

namespace orvane::fit {

namespace {

constexpr std::uint64_t cellPadding = 256;
constexpr std::uint64_t microBatch = 512;
constexpr std::uint64_t f32Bytes = 4;
constexpr std::uint64_t saturated = std::numeric_limits<std::uint64_t>::max();

std::uint64_t add(std::uint64_t a, std::uint64_t b) {
    return a > saturated - b ? saturated : a + b;
}

std::uint64_t times(std::uint64_t a, std::uint64_t b) {
    return b != 0 && a > saturated / b ? saturated : a * b;
}

std::uint64_t roundUp(std::uint64_t value, std::uint64_t step) {
    return times((value + step - 1) / step, step);
}

} // namespace

std::string_view kvTypeName(KvType type) {
    switch (type) {
    case KvType::q8_0:
        return "q8_0";
    case KvType::q4_0:
        return "q4_0";
    case KvType::f16:
        break;
    }
    return "f16";
}

std::optional<KvType> kvTypeNamed(std::string_view name) {
    for (const KvType type : {KvType::f16, KvType::q8_0, KvType::q4_0}) {
        if (kvTypeName(type) == name) {
            return type;
        }
    }
    return std::nullopt;
}

std::uint64_t kvRowBytes(KvType type, std::uint64_t width) {
    const std::uint64_t blocks = (width + 31) / 32;
    switch (type) {
    case KvType::q8_0:
        return times(blocks, 34);
    case KvType::q4_0:
        return times(blocks, 18);
    case KvType::f16:
        break;
    }
    return times(width, 2);
}

std::uint64_t defaultContext(const ModelShape& shape) {
    if (shape.trainedContext && *shape.trainedContext > 0) {
        return std::min(defaultContextTokens, *shape.trainedContext);
    }
    return defaultContextTokens;
}

std::uint64_t Estimate::totalBytes() const {
    return add(add(weightBytes, kvCacheBytes), add(computeBytes, overheadBytes));
}

Estimate estimate(const ModelShape& shape, std::uint64_t contextTokens, KvType kvType) {
    Estimate result;
    result.weightBytes = shape.weightBytes;
    result.overheadBytes = overheadBytes;
    if (shape.layers.empty()) {
        return result;
    }
    result.cells = roundUp(std::max<std::uint64_t>(contextTokens, 1), cellPadding);
    result.slidingCells =
        std::min(result.cells, roundUp(add(shape.slidingWindow, microBatch), cellPadding));

    std::uint64_t widestValue = 0;
    for (const LayerCache& layer : shape.layers) {
        if (layer.keyWidth > 0) {
            widestValue = std::max(widestValue, layer.valueWidth);
        }
    }
    std::uint64_t attendedCells = 0; // the most cells any layer attends to
    for (const LayerCache& layer : shape.layers) {
        if (layer.keyWidth == 0) {
            continue;
        }
        const std::uint64_t cells = layer.sliding ? result.slidingCells : result.cells;
        const std::uint64_t row =
            add(kvRowBytes(kvType, layer.keyWidth), kvRowBytes(kvType, widestValue));
        result.kvCacheBytes = add(result.kvCacheBytes, times(row, cells));
        attendedCells = std::max(attendedCells, cells);
    }

    const std::uint64_t tokens = std::min(microBatch, result.cells);
    const std::uint64_t attention =
        times(times(f32Bytes, tokens), add(add(times(shape.maxHeads, attendedCells), attendedCells),
                                           times(4, shape.embedding)));
    const std::uint64_t logits =
        times(times(f32Bytes, tokens), add(shape.embedding, shape.vocabulary));
    result.computeBytes = std::max(attention, logits);
    return result;
}

} // namespace orvane::fit
