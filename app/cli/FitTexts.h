#pragma once

// What "orvane fit" says, in one place. Sizes are GB of 2^30 bytes.
namespace orvane::fit_text {

inline constexpr const char* description =
    "Estimate whether a model fits in the memory the GPU may use, and which limit it needs: its "
    "weights (from the file's headers alone), the KV cache and compute buffers as llama.cpp "
    "allocates them for the context, and a fixed overhead.";
inline constexpr const char* modelHelp =
    "A GGUF file (a split one by any of its parts), a folder with config.json and .safetensors "
    "files, an Ollama model name (llama3.1:70b), or a size of weights alone (40GB, 40960MB).";
inline constexpr const char* contextHelp =
    "Tokens of context (default: 8192, or the model's trained context when smaller).";
inline constexpr const char* kvTypeHelp = "The KV cache's type: f16 (default), q8_0 or q4_0.";
inline constexpr const char* setHelp =
    "When a higher limit would make the model fit, set it, the way 'orvane set' does.";

inline constexpr const char* badContext =
    "'%1' is not a context. Give a whole number of tokens from 1 to 16777216.";
inline constexpr const char* badKvType = "'%1' is not a KV cache type. Give f16, q8_0 or q4_0.";
inline constexpr const char* sizeTakesNoContext =
    "A plain size is weights alone: --context and --kv-type need a model file.";
inline constexpr const char* noSuchModel =
    "No model '%1': it is not a file, a folder, an Ollama model under %2, or a size such as 40GB.";
inline constexpr const char* workingSetUnknown =
    "The GPU's working set is unknown on this machine, so there is nothing to hold the model "
    "against.";

inline constexpr const char* modelLine = "Model: %1 (%2)";
inline constexpr const char* sizeModelLine = "Model: %1 GB of weights (a plain size: no context)";
inline constexpr const char* sourceGguf = "GGUF";
inline constexpr const char* sourceSafetensors = "safetensors";
inline constexpr const char* sourceOllama = "Ollama";
inline constexpr const char* contextDefault = "Context: %1 tokens (the default)";
inline constexpr const char* contextTrained =
    "Context: %1 tokens (the model's trained context, below the default %2)";
inline constexpr const char* contextGiven = "Context: %1 tokens (as asked)";
// The table's rows: a label, then the size in GB with one decimal.
inline constexpr const char* weights = "Weights";
inline constexpr const char* kvCache = "KV cache (%1)";
inline constexpr const char* compute = "Compute buffers";
inline constexpr const char* overhead = "Overhead";
inline constexpr const char* total = "Total";

inline constexpr const char* fits = "Fits: needs %1 GB of the %2 GB the GPU may use.";
inline constexpr const char* fitsAfterChange =
    "Fits after a change: needs %1 GB, and the GPU may use %2 GB now. A limit of %3 GB holds it "
    "and leaves macOS %4 GB: run 'orvane set %3', or this again with --set.";
inline constexpr const char* doesNotFit =
    "Does not fit on this Mac: needs %1 GB, %2 GB more than the %3 GB the GPU may be given at "
    "most.";
inline constexpr const char* setDone = "The GPU memory limit is now %1 GB: the model fits.";

} // namespace orvane::fit_text
