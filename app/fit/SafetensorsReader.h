#pragma once

#include <cstdint>

#include "app/fit/ModelProblem.h"
#include "platform/ports/ModelFiles.h"

namespace orvane::fit {

struct SafetensorsHeader {
    std::uint64_t tensorCount = 0;
    std::uint64_t tensorBytes = 0;
};

// Reads a .safetensors file's header (a 64-bit length, then that much JSON describing each tensor's
// type, shape and place in the data that follows) and adds up its tensors' data. The length is
// checked against the file and a cap before the JSON is read; every tensor must lie inside the
// data and, for the types whose size is known, be as large as its shape says.
Loaded<SafetensorsHeader> readSafetensors(ReadableFile& file);

} // namespace orvane::fit
