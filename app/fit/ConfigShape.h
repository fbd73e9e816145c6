#pragma once

#include <cstdint>
#include <string_view>

#include "app/fit/ModelProblem.h"
#include "app/fit/ModelShape.h"

namespace orvane::fit {

// The model's shape from a Hugging Face (or MLX) config.json, read the way llama.cpp's converter
// maps it onto the GGUF keys: num_hidden_layers, num_attention_heads, num_key_value_heads (one or
// one per layer), head_dim or hidden_size / num_attention_heads, kv_lora_rank and
// qk_rope_head_dim for compressed attention, sliding_window with layer_types or the
// architecture's period, vocab_size and max_position_embeddings. A multimodal model's language
// part is read from its text_config.
Loaded<ModelShape> configShape(std::string_view json, std::uint64_t weightBytes);

} // namespace orvane::fit
