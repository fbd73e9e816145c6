#pragma once

#include <cstdint>

#include "app/fit/GgufReader.h"
#include "app/fit/ModelShape.h"

namespace orvane::fit {

// The model's shape from its GGUF metadata (of the first file, for a split model), the way
// llama.cpp's loader reads it: the architecture names the keys ("llama.block_count"), head counts
// may be one number or one per layer, and the weights are those of every file's tensors.
Loaded<ModelShape> ggufShape(const GgufHeader& header, std::uint64_t weightBytes);

} // namespace orvane::fit
