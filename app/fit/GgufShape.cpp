// The metadata keys and their defaults follow llama.cpp's model loader (llama-model.cpp,
// llama-hparams.cpp): head_count and head_count_kv are one number or an array of one per layer;
// the key and value lengths default to embedding_length divided by the first layer's head count;
// a layer with no KV heads caches nothing. Compressed attention (DeepSeek's MLA) is in use when
// the converter wrote key_length_mla: then each layer caches one latent of kv_lora_rank plus the
// rotary dimensions as its keys, and no values. Which layers slide over a window is set per
// architecture in llama.cpp; the sliding_window_pattern key overrides that period.

#include "app/fit/GgufShape.h"

#include <algorithm>
#include <string_view>

namespace orvane::fit {

namespace {

// Caps on what a real model has, so that the estimate's arithmetic never comes near overflow.
constexpr std::int64_t maxLayers = 65536;
constexpr std::int64_t maxCount = 1 << 20; // heads, lengths, ranks
constexpr std::int64_t maxEmbedding = 1 << 24;
constexpr std::int64_t maxTokens = std::int64_t{1} << 32; // context, window, vocabulary

struct SlidingRule {
    std::string_view architecture;
    std::uint64_t period;      // every period-th layer attends to everything, the rest slide
    std::uint64_t fixedWindow; // a window the architecture fixes, where the file has none
};

// llama.cpp's set_swa_pattern per architecture. Llama 4 attends in chunks of 8192 tokens on three
// layers of four, which caches the same as a window of that size.
constexpr SlidingRule slidingRules[] = {
    {"gemma2", 2, 0}, {"gemma3", 6, 0}, {"cohere2", 4, 0}, {"gpt-oss", 2, 0}, {"llama4", 4, 8192},
};

class ShapeReader {
public:
    ShapeReader(const GgufHeader& header, std::string architecture)
        : header_(header)
        , arch_(std::move(architecture)) {}

    std::string key(std::string_view suffix) const { return arch_ + "." + std::string(suffix); }

    std::optional<std::uint64_t> number(std::string_view suffix, std::int64_t cap) const {
        const std::string name = key(suffix);
        const GgufValue* value = header_.find(name);
        if (!value) {
            return std::nullopt;
        }
        if (!value->integer) {
            malformed("its " + name + " is not a whole number");
        }
        return checked(name, *value->integer, cap);
    }

    std::uint64_t required(std::string_view suffix, std::int64_t cap) const {
        const std::optional<std::uint64_t> value = number(suffix, cap);
        if (!value) {
            malformed("it has no " + key(suffix));
        }
        return *value;
    }

    // One value per layer, from a single number or an array with one entry per layer.
    std::optional<std::vector<std::uint64_t>>
    perLayer(std::string_view suffix, std::uint64_t layers, std::int64_t cap) const {
        const std::string name = key(suffix);
        const GgufValue* value = header_.find(name);
        if (!value) {
            return std::nullopt;
        }
        if (value->integer) {
            return std::vector<std::uint64_t>(layers, checked(name, *value->integer, cap));
        }
        if (!value->isArray || value->arrayLength != value->integers.size()) {
            malformed("its " + name + " is neither a whole number nor a list of them");
        }
        if (value->arrayLength != layers) {
            malformed("its " + name + " has " + std::to_string(value->arrayLength) +
                      " entries for " + std::to_string(layers) + " layers");
        }
        std::vector<std::uint64_t> values;
        for (const std::int64_t each : value->integers) {
            values.push_back(checked(name, each, cap));
        }
        return values;
    }

    const GgufHeader& header() const { return header_; }
    const std::string& architecture() const { return arch_; }

private:
    static std::uint64_t checked(const std::string& name, std::int64_t value, std::int64_t cap) {
        if (value < 0 || value > cap) {
            malformed("its " + name + " of " + std::to_string(value) + " is not plausible");
        }
        return static_cast<std::uint64_t>(value);
    }

    const GgufHeader& header_;
    std::string arch_;
};

// Which layers slide: the file's own pattern (a period, or one flag per layer), else the
// architecture's; none when the model has no window.
std::vector<bool> slidingLayers(const ShapeReader& reader, std::uint64_t layers,
                                std::uint64_t& window) {
    const SlidingRule* rule = nullptr;
    for (const SlidingRule& each : slidingRules) {
        if (each.architecture == reader.architecture()) {
            rule = &each;
        }
    }
    const std::optional<std::uint64_t> fileWindow =
        reader.number("attention.sliding_window", maxTokens);
    window = fileWindow ? *fileWindow : (rule ? rule->fixedWindow : 0);
    if (window == 0) {
        return std::vector<bool>(layers, false);
    }
    std::uint64_t period = rule ? rule->period : 1; // 1: no layer slides
    const std::string patternKey = reader.key("attention.sliding_window_pattern");
    if (const GgufValue* pattern = reader.header().find(patternKey)) {
        if (pattern->isArray) {
            const auto flags =
                reader.perLayer("attention.sliding_window_pattern", layers, maxCount);
            std::vector<bool> sliding;
            for (const std::uint64_t flag : *flags) {
                sliding.push_back(flag != 0);
            }
            return sliding;
        }
        period = *reader.number("attention.sliding_window_pattern", maxLayers);
    }
    std::vector<bool> sliding(layers);
    for (std::uint64_t layer = 0; layer < layers; ++layer) {
        // llama.cpp: a period of 0 makes every layer slide.
        sliding[layer] = period == 0 || layer % period < period - 1;
    }
    return sliding;
}

ModelShape readShape(const GgufHeader& header, std::uint64_t weightBytes) {
    const std::optional<std::string> architecture = header.text("general.architecture");
    if (!architecture || architecture->empty()) {
        malformed("it names no architecture (general.architecture)");
    }
    const ShapeReader reader(header, *architecture);
    const std::uint64_t layers = reader.required("block_count", maxLayers);
    const std::uint64_t embedding = reader.required("embedding_length", maxEmbedding);
    const auto heads = reader.perLayer("attention.head_count", layers, maxCount);
    if (!heads) {
        malformed("it has no " + reader.key("attention.head_count"));
    }
    const auto kvHeads = reader.perLayer("attention.head_count_kv", layers, maxCount);
    const auto firstHeads =
        std::find_if(heads->begin(), heads->end(), [](std::uint64_t n) { return n > 0; });
    const std::uint64_t perHead = firstHeads == heads->end() ? 0 : embedding / *firstHeads;
    const std::uint64_t keyLength =
        reader.number("attention.key_length", maxCount).value_or(perHead);
    const std::uint64_t valueLength =
        reader.number("attention.value_length", maxCount).value_or(perHead);
    const std::optional<std::uint64_t> latent = reader.number("attention.kv_lora_rank", maxCount);
    const bool compressed = latent && reader.number("attention.key_length_mla", maxCount);
    const std::optional<std::uint64_t> rotary = reader.number("rope.dimension_count", maxCount);

    ModelShape shape;
    shape.source = ModelSource::gguf;
    shape.weightBytes = weightBytes;
    shape.embedding = embedding;
    shape.maxHeads = heads->empty() ? 0 : *std::max_element(heads->begin(), heads->end());
    const std::vector<bool> sliding = slidingLayers(reader, layers, shape.slidingWindow);
    for (std::uint64_t layer = 0; layer < layers; ++layer) {
        const std::uint64_t kv = kvHeads ? (*kvHeads)[layer] : (*heads)[layer];
        LayerCache cache;
        if (kv > 0) {
            if (compressed && rotary) {
                cache.keyWidth = *latent + *rotary;
            } else {
                cache.keyWidth = keyLength * kv;
                cache.valueWidth = compressed ? 0 : valueLength * kv;
            }
        }
        cache.sliding = sliding[layer];
        shape.layers.push_back(cache);
    }
    if (const GgufValue* tokens = header.find("tokenizer.ggml.tokens"); tokens && tokens->isArray) {
        shape.vocabulary = tokens->arrayLength;
    } else if (const auto size = reader.number("vocab_size", maxTokens)) {
        shape.vocabulary = *size;
    } else {
        shape.vocabulary = header.embeddingRows.value_or(0);
    }
    shape.trainedContext = reader.number("context_length", maxTokens);
    shape.description = *architecture + ", " + std::to_string(layers) + " layers";
    return shape;
}

} // namespace

Loaded<ModelShape> ggufShape(const GgufHeader& header, std::uint64_t weightBytes) {
    try {
        return {readShape(header, weightBytes), {}};
    } catch (const ModelError& error) {
        return Loaded<ModelShape>::failed(error.problem);
    }
}

} // namespace orvane::fit
