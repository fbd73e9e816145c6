#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/fit/ModelProblem.h"
#include "app/fit/ModelShape.h"
#include "platform/ports/ModelFiles.h"

namespace orvane::fit {

struct ModelLookup {
    bool found = false;       // the argument names a file, a folder or a pulled Ollama model
    Loaded<ModelShape> shape; // when found: its shape, or the one sentence on what is wrong
};

// Finds what the argument names and reads its shape from its headers alone:
// - a GGUF file; one named NAME-0000k-of-0000n.gguf is read with all n parts;
// - a folder with config.json and .safetensors files (those model.safetensors.index.json lists,
//   else every one in the folder), or one of those files;
// - an Ollama model name, through its manifest under ollamaModels to the model's GGUF blob.
// Every file goes through files, which opens regular files only.
ModelLookup lookUpModel(const std::string& argument, const std::filesystem::path& ollamaModels,
                        ModelFiles& files);

// A plain size: weights only, no context.
ModelShape sizeShape(std::uint64_t weightBytes);

} // namespace orvane::fit
