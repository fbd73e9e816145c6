#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane::fit {

// What llama.cpp caches for one layer, per token, in elements: its keys (key length × KV heads,
// n_embd_k_gqa) and its values (n_embd_v_gqa). A layer without KV heads caches nothing; a layer
// with compressed attention caches its latent as keys and no values.
struct LayerCache {
    std::uint64_t keyWidth = 0;
    std::uint64_t valueWidth = 0;
    bool sliding = false; // holds only the sliding window

    friend bool operator==(const LayerCache&, const LayerCache&) = default;
};

// Where the shape was read from, as the report and its JSON name it.
enum class ModelSource { gguf, safetensors, ollama, size };

// A model as far as its memory goes, read from its headers alone.
struct ModelShape {
    ModelSource source = ModelSource::size;
    std::string description; // "llama, 80 layers", or empty for a plain size
    std::uint64_t weightBytes = 0;
    std::vector<LayerCache> layers;  // empty for a plain size: no context at all
    std::uint64_t slidingWindow = 0; // tokens, for the sliding layers
    std::uint64_t embedding = 0;     // n_embd
    std::uint64_t maxHeads = 0;      // the most query heads of any layer
    std::uint64_t vocabulary = 0;    // 0 when unknown
    std::optional<std::uint64_t> trainedContext;
};

} // namespace orvane::fit
