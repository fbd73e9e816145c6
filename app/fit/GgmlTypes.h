#pragma once

#include <cstdint>
#include <optional>

namespace orvane::fit {

// How ggml stores one element type: elements come in blocks of blockElements, each blockBytes
// long (1 and the element's size for plain types).
struct GgmlType {
    const char* name;
    std::uint32_t blockElements;
    std::uint32_t blockBytes;
};

// The element types a GGUF file may give its tensors, by their number in ggml's enum ggml_type;
// none for a number ggml has retired or not assigned.
std::optional<GgmlType> ggmlType(std::uint32_t type);

} // namespace orvane::fit
