// The readers of model files on arbitrary bytes: whatever they accept is consistent with the bytes
// they were given, whatever they refuse is refused with a sentence, and nothing they read makes
// the estimate misbehave.

#include <string_view>

#include "app/fit/Estimate.h"
#include "app/fit/GgufReader.h"
#include "app/fit/GgufShape.h"
#include "app/fit/OllamaManifest.h"
#include "app/fit/SafetensorsReader.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/MemoryFile.h"

namespace orvane::fuzz {

namespace {

template <class T>
void checkRefusal(const fit::Loaded<T>& loaded) {
    if (!loaded.value) {
        check(!loaded.problem.sentence.empty(), "a refusal names its problem");
        check(!loaded.problem.readFailure, "bytes in memory never fail to be read");
    }
}

} // namespace

int ggufOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryFile file({data, size});
    const fit::Loaded<fit::GgufHeader> header = fit::readGguf(file);
    checkRefusal(header);
    if (!header.value) {
        return 0;
    }
    check(header.value->tensorBytes <= size, "the tensors' data lies within the file");
    const fit::Loaded<fit::ModelShape> shape =
        fit::ggufShape(*header.value, header.value->tensorBytes);
    checkRefusal(shape);
    if (shape.value) {
        check(shape.value->layers.size() <= 65536, "no more layers than the cap");
        for (const fit::KvType type : {fit::KvType::f16, fit::KvType::q4_0}) {
            const fit::Estimate estimate =
                fit::estimate(*shape.value, fit::defaultContext(*shape.value), type);
            check(estimate.totalBytes() >= estimate.weightBytes, "the total holds the weights");
        }
    }
    return 0;
}

int safetensorsOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryFile file({data, size});
    const fit::Loaded<fit::SafetensorsHeader> header = fit::readSafetensors(file);
    checkRefusal(header);
    if (header.value) {
        check(size >= 8 && header.value->tensorBytes <= size - 8,
              "the tensors' data lies within the file");
    }
    return 0;
}

int ollamaManifestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const fit::Loaded<std::string> blob = fit::modelBlobPath(text);
    checkRefusal(blob);
    if (blob.value) {
        check(blob.value->size() == 13 + 64 && blob.value->starts_with("blobs/sha256-") &&
                  blob.value->find_first_not_of("0123456789abcdef", 13) == std::string::npos,
              "a blob is named by its digest alone");
    }
    // The same bytes as a model's name: no part of its manifest's path climbs out of the folder.
    if (const auto name = fit::parseOllamaName(text)) {
        const std::string path = name->manifestPath();
        check(path.find("/.") == std::string::npos && path.find("//") == std::string::npos &&
                  path.find('\0') == std::string::npos,
              "a manifest path stays below the models folder");
    }
    return 0;
}

} // namespace orvane::fuzz
