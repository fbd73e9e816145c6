#include "app/fit/ConfigShape.h"

#include <algorithm>
#include <cmath>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace orvane::fit {

namespace {

constexpr double maxLayers = 65536;
constexpr double maxCount = 1 << 20;
constexpr double maxEmbedding = 1 << 24;
constexpr double maxTokens = 4294967296.0;

struct Period {
    std::string_view modelType;
    std::uint64_t period;
};

// The same periods as for GGUF files, by the config's model_type.
constexpr Period periods[] = {
    {"gemma2", 2}, {"gemma3", 6}, {"gemma3_text", 6}, {"cohere2", 4}, {"gpt_oss", 2},
};

class Config {
public:
    explicit Config(QJsonObject top) : top_(std::move(top)) {
        const QJsonValue text = top_.value("text_config");
        if (text.isObject() && !top_.contains("num_hidden_layers")) {
            text_ = text.toObject();
        }
    }

    QJsonValue value(const char* key) const {
        const QJsonValue own = text_.value(key);
        return own.isUndefined() ? top_.value(key) : own;
    }

    static std::uint64_t checked(const char* key, const QJsonValue& value, double cap) {
        const double number = value.toDouble(-1.0);
        if (!value.isDouble() || number < 0.0 || number > cap || number != std::floor(number)) {
            malformed(std::string("its config.json gives ") + key +
                      " a value that is not a plausible whole number");
        }
        return static_cast<std::uint64_t>(number);
    }

    // A whole number, or none when absent or null.
    std::optional<std::uint64_t> number(const char* key, double cap) const {
        const QJsonValue found = value(key);
        if (found.isUndefined() || found.isNull()) {
            return std::nullopt;
        }
        return checked(key, found, cap);
    }

    std::uint64_t required(const char* key, double cap) const {
        const auto found = number(key, cap);
        if (!found) {
            malformed(std::string("its config.json has no ") + key);
        }
        return *found;
    }

    std::vector<std::uint64_t> perLayer(const char* key, std::uint64_t layers, double cap,
                                        std::uint64_t otherwise) const {
        const QJsonValue found = value(key);
        if (!found.isArray()) {
            return std::vector<std::uint64_t>(layers, number(key, cap).value_or(otherwise));
        }
        const QJsonArray entries = found.toArray();
        if (static_cast<std::uint64_t>(entries.size()) != layers) {
            malformed(std::string("its config.json gives ") + key + " " +
                      std::to_string(entries.size()) + " entries for " + std::to_string(layers) +
                      " layers");
        }
        std::vector<std::uint64_t> values;
        for (const QJsonValue entry : entries) {
            values.push_back(checked(key, entry, cap));
        }
        return values;
    }

    std::string text(const char* key) const { return value(key).toString().toStdString(); }

private:
    QJsonObject top_;
    QJsonObject text_;
};

std::vector<bool> slidingLayers(const Config& config, std::uint64_t layers, std::uint64_t& window) {
    window = 0;
    if (config.value("use_sliding_window") == QJsonValue(false)) {
        return std::vector<bool>(layers, false);
    }
    window = config.number("sliding_window", maxTokens).value_or(0);
    if (window == 0) {
        return std::vector<bool>(layers, false);
    }
    const QJsonValue types = config.value("layer_types");
    if (types.isArray() && static_cast<std::uint64_t>(types.toArray().size()) == layers) {
        std::vector<bool> sliding;
        for (const QJsonValue type : types.toArray()) {
            sliding.push_back(type.toString().contains("sliding"));
        }
        return sliding;
    }
    std::uint64_t period = 1; // no layer slides unless the model says how
    if (const auto pattern = config.number("sliding_window_pattern", maxLayers)) {
        period = *pattern;
    } else {
        const std::string type = config.text("model_type");
        for (const Period& each : periods) {
            if (each.modelType == type) {
                period = each.period;
            }
        }
    }
    std::vector<bool> sliding(layers);
    for (std::uint64_t layer = 0; layer < layers; ++layer) {
        sliding[layer] = period == 0 || layer % period < period - 1;
    }
    return sliding;
}

ModelShape readConfig(std::string_view json, std::uint64_t weightBytes) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(json.data(), static_cast<qsizetype>(json.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        malformed("its config.json is not a JSON object");
    }
    const Config config(document.object());
    const std::uint64_t layers = config.required("num_hidden_layers", maxLayers);
    const std::uint64_t embedding = config.required("hidden_size", maxEmbedding);
    const std::uint64_t heads = config.required("num_attention_heads", maxCount);
    const std::vector<std::uint64_t> kvHeads =
        config.perLayer("num_key_value_heads", layers, maxCount, heads);
    const std::uint64_t headDim =
        config.number("head_dim", maxCount).value_or(heads > 0 ? embedding / heads : 0);
    const std::optional<std::uint64_t> latent = config.number("kv_lora_rank", maxCount);
    const std::uint64_t rotary = config.number("qk_rope_head_dim", maxCount).value_or(0);

    ModelShape shape;
    shape.source = ModelSource::safetensors;
    shape.weightBytes = weightBytes;
    shape.embedding = embedding;
    shape.maxHeads = heads;
    const std::vector<bool> sliding = slidingLayers(config, layers, shape.slidingWindow);
    for (std::uint64_t layer = 0; layer < layers; ++layer) {
        LayerCache cache;
        if (kvHeads[layer] > 0) {
            cache.keyWidth = latent ? *latent + rotary : headDim * kvHeads[layer];
            cache.valueWidth = latent ? 0 : headDim * kvHeads[layer];
        }
        cache.sliding = sliding[layer];
        shape.layers.push_back(cache);
    }
    shape.vocabulary = config.number("vocab_size", maxTokens).value_or(0);
    shape.trainedContext = config.number("max_position_embeddings", maxTokens);
    const std::string type = config.text("model_type");
    shape.description =
        (type.empty() ? std::string("model") : type) + ", " + std::to_string(layers) + " layers";
    return shape;
}

} // namespace

Loaded<ModelShape> configShape(std::string_view json, std::uint64_t weightBytes) {
    try {
        return {readConfig(json, weightBytes), {}};
    } catch (const ModelError& error) {
        return Loaded<ModelShape>::failed(error.problem);
    }
}

} // namespace orvane::fit
