#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/fit/ModelProblem.h"

namespace orvane::fit {

// An Ollama model name, [host/][namespace/]model[:tag], with Ollama's defaults filled in: host
// registry.ollama.ai, namespace library, tag latest. Each part is letters, digits, '_', '-' and
// '.', not starting with '.' or '-', so no part can climb out of the models folder.
struct OllamaName {
    std::string host;
    std::string space;
    std::string model;
    std::string tag;

    // The manifest's place under the models folder: manifests/<host>/<namespace>/<model>/<tag>.
    std::string manifestPath() const;
    std::string shortName() const; // "llama3.1:70b" as it was meant
};

std::optional<OllamaName> parseOllamaName(std::string_view text);

// The GGUF blob a manifest names for its model layer (media type
// application/vnd.ollama.image.model), as its place under the models folder:
// blobs/sha256-<64 hex digits>.
Loaded<std::string> modelBlobPath(std::string_view manifestJson);

} // namespace orvane::fit
