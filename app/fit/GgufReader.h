#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/fit/ModelProblem.h"
#include "platform/ports/ModelFiles.h"

namespace orvane::fit {

// One metadata value of a GGUF file as the estimate may need it. Integers (and booleans, as 0 or
// 1) are kept, as are short strings and integer arrays of a sane length; of any other array only
// its length. Floating-point values are read past.
struct GgufValue {
    std::optional<std::int64_t> integer;
    std::optional<std::string> text;
    bool isArray = false;
    std::uint64_t arrayLength = 0;
    std::vector<std::int64_t> integers; // an integer array's elements, when it was kept
};

// What a GGUF file's header says: the metadata the estimate may need, and the size of its tensors'
// data as their descriptions give it (the data itself is never read).
struct GgufHeader {
    std::uint32_t version = 0;
    std::map<std::string, GgufValue, std::less<>> metadata;
    std::uint64_t tensorCount = 0;
    std::uint64_t tensorBytes = 0;
    // token_embd.weight's second dimension: the vocabulary, where the tokenizer does not say.
    std::optional<std::uint64_t> embeddingRows;

    const GgufValue* find(std::string_view key) const;
    std::optional<std::int64_t> integer(std::string_view key) const;
    std::optional<std::string> text(std::string_view key) const;
};

// Reads a GGUF file of version 2 or 3 (little-endian) up to the end of its tensor descriptions,
// checking every count and length against the file's size and against caps before anything is
// allocated, and every tensor's data against the end of the file.
Loaded<GgufHeader> readGguf(ReadableFile& file);

} // namespace orvane::fit
