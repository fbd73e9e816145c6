#include "app/fit/ModelLookup.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <system_error>

#include <QJsonDocument>
#include <QJsonObject>

#include "app/fit/ConfigShape.h"
#include "app/fit/GgufReader.h"
#include "app/fit/GgufShape.h"
#include "app/fit/OllamaManifest.h"
#include "app/fit/SafetensorsReader.h"
#include "shared/ErrnoText.h"

namespace orvane::fit {

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t maxConfigBytes = 4 << 20;
constexpr std::uint64_t maxIndexBytes = 64 << 20;
constexpr std::uint64_t maxManifestBytes = 1 << 20;
constexpr std::size_t maxParts = 10000;
constexpr std::uint64_t maxWeights = std::uint64_t{1} << 62;

std::uint64_t addWeights(std::uint64_t a, std::uint64_t b) {
    return std::min(maxWeights, std::min(a, maxWeights) + std::min(b, maxWeights));
}

// A split part's name, NAME-00001-of-00003.gguf: NAME and the count, when the name is one.
struct SplitName {
    std::string stem;
    std::string count; // the five digits, as written
};

std::optional<SplitName> splitName(const std::string& name) {
    constexpr std::string_view suffix = ".gguf";
    constexpr std::size_t numbered = 15; // "-00001-of-00003"
    if (name.size() <= numbered + suffix.size() || !name.ends_with(suffix)) {
        return std::nullopt;
    }
    const std::size_t stemLength = name.size() - suffix.size() - numbered;
    const std::string tail = name.substr(stemLength, numbered);
    const std::string form = "-ddddd-of-ddddd";
    for (std::size_t i = 0; i < form.size(); ++i) {
        const bool digit = tail[i] >= '0' && tail[i] <= '9';
        if (form[i] == 'd' ? !digit : tail[i] != form[i]) {
            return std::nullopt;
        }
    }
    return SplitName{name.substr(0, stemLength), tail.substr(10)};
}

// A problem of one file, said as the file's: "Cannot use PATH: REASON."
[[noreturn]] void fail(const fs::path& path, const ModelProblem& problem) {
    throw ModelError{
        {"Cannot use " + path.string() + ": " + problem.sentence + ".", problem.readFailure}};
}

std::unique_ptr<ReadableFile> openFile(ModelFiles& files, const fs::path& path) {
    ModelFiles::Opened opened = files.open(path.string());
    if (!opened.file) {
        fail(path, {opened.kind ? std::string("it is ") + opened.kind + ", not a regular file"
                                : errnoText(opened.error),
                    false});
    }
    return std::move(opened.file);
}

std::string readSmallFile(ModelFiles& files, const fs::path& path, std::uint64_t cap) {
    const std::unique_ptr<ReadableFile> file = openFile(files, path);
    if (file->size() > cap) {
        fail(path, {"it is " + std::to_string(file->size()) + " bytes long, more than the " +
                        std::to_string(cap) + " Orvane reads of such a file",
                    false});
    }
    std::string text(static_cast<std::size_t>(file->size()), '\0');
    if (const int error =
            file->read(0, {reinterpret_cast<std::uint8_t*>(text.data()), text.size()});
        error != 0) {
        fail(path, {"it could not be read: " + errnoText(error), true});
    }
    return text;
}

GgufHeader readGgufFile(ModelFiles& files, const fs::path& path) {
    const std::unique_ptr<ReadableFile> file = openFile(files, path);
    Loaded<GgufHeader> header = readGguf(*file);
    if (!header.value) {
        fail(path, header.problem);
    }
    return std::move(*header.value);
}

ModelShape shapeOf(const GgufHeader& header, std::uint64_t weightBytes, const fs::path& path) {
    Loaded<ModelShape> shape = ggufShape(header, weightBytes);
    if (!shape.value) {
        fail(path, shape.problem);
    }
    return std::move(*shape.value);
}

// One GGUF file, or every part of a split one (gguf-split names them NAME-00001-of-00003.gguf and
// writes split.no and split.count into each).
ModelShape ggufModel(ModelFiles& files, const fs::path& path) {
    const std::optional<SplitName> split = splitName(path.filename().string());
    if (!split) {
        const GgufHeader header = readGgufFile(files, path);
        if (const auto count = header.integer("split.count"); count && *count > 1) {
            fail(path, {"it is one of " + std::to_string(*count) +
                            " parts of a split model, and its name does not say where the "
                            "others are (NAME-00001-of-" +
                            std::to_string(*count) + ".gguf)",
                        false});
        }
        return shapeOf(header, header.tensorBytes, path);
    }
    const std::size_t parts = std::stoul(split->count);
    if (parts == 0 || parts > maxParts) {
        fail(path, {"its name declares " + std::to_string(parts) + " parts", false});
    }
    std::optional<GgufHeader> first;
    std::uint64_t weights = 0;
    for (std::size_t part = 1; part <= parts; ++part) {
        char number[16];
        std::snprintf(number, sizeof number, "%05zu", part);
        const fs::path partPath =
            path.parent_path() / (split->stem + "-" + number + "-of-" + split->count + ".gguf");
        GgufHeader header = readGgufFile(files, partPath);
        const auto count = header.integer("split.count");
        const auto index = header.integer("split.no");
        if (parts > 1 && (count != static_cast<std::int64_t>(parts) ||
                          index != static_cast<std::int64_t>(part - 1))) {
            fail(partPath, {"it does not say it is part " + std::to_string(part) + " of " +
                                std::to_string(parts) + " (split.no and split.count)",
                            false});
        }
        weights = addWeights(weights, header.tensorBytes);
        if (!first) {
            first = std::move(header);
        }
    }
    ModelShape shape = shapeOf(*first, weights, path);
    if (parts > 1) {
        shape.description += ", " + std::to_string(parts) + " files";
    }
    return shape;
}

// The shard files of a safetensors folder: those the index names, else every one there.
std::vector<fs::path> shards(ModelFiles& files, const fs::path& folder) {
    const fs::path index = folder / "model.safetensors.index.json";
    std::error_code error;
    std::set<std::string> names;
    if (fs::exists(index, error)) {
        const std::string json = readSmallFile(files, index, maxIndexBytes);
        const QJsonDocument document = QJsonDocument::fromJson(
            QByteArray::fromRawData(json.data(), static_cast<qsizetype>(json.size())));
        const QJsonValue map = document.object().value("weight_map");
        if (!map.isObject()) {
            fail(index, {"it has no weight_map", false});
        }
        for (const QJsonValue file : map.toObject()) {
            const std::string name = file.toString().toStdString();
            if (name.empty() || name.front() == '.' || name.find('/') != std::string::npos ||
                !name.ends_with(".safetensors")) {
                fail(index,
                     {"it names '" + name + "', not a .safetensors file in its folder", false});
            }
            names.insert(name);
        }
    } else {
        for (fs::directory_iterator entry(folder, error);
             !error && entry != fs::directory_iterator(); entry.increment(error)) {
            const std::string name = entry->path().filename().string();
            if (name.ends_with(".safetensors") && name.front() != '.') {
                names.insert(name);
            }
            if (names.size() > maxParts) {
                break;
            }
        }
        if (error) {
            fail(folder, {errnoText(error.value()), false});
        }
    }
    if (names.empty()) {
        fail(folder, {"it holds no .safetensors files", false});
    }
    if (names.size() > maxParts) {
        fail(folder,
             {"it holds more than " + std::to_string(maxParts) + " .safetensors files", false});
    }
    std::vector<fs::path> paths;
    for (const std::string& name : names) {
        paths.push_back(folder / name);
    }
    return paths;
}

ModelShape safetensorsModel(ModelFiles& files, const fs::path& folder) {
    const fs::path configPath = folder / "config.json";
    std::error_code error;
    if (!fs::exists(configPath, error)) {
        fail(folder, {"it has no config.json beside its weights", false});
    }
    const std::string config = readSmallFile(files, configPath, maxConfigBytes);
    const std::vector<fs::path> paths = shards(files, folder);
    std::uint64_t weights = 0;
    for (const fs::path& path : paths) {
        const std::unique_ptr<ReadableFile> file = openFile(files, path);
        const Loaded<SafetensorsHeader> header = readSafetensors(*file);
        if (!header.value) {
            fail(path, header.problem);
        }
        weights = addWeights(weights, header.value->tensorBytes);
    }
    Loaded<ModelShape> shape = configShape(config, weights);
    if (!shape.value) {
        fail(configPath, shape.problem);
    }
    shape.value->description +=
        ", " + std::to_string(paths.size()) + (paths.size() == 1 ? " file" : " files");
    return std::move(*shape.value);
}

ModelShape ollamaModel(ModelFiles& files, const fs::path& models, const OllamaName& name,
                       const fs::path& manifest) {
    const std::string json = readSmallFile(files, manifest, maxManifestBytes);
    const Loaded<std::string> blob = modelBlobPath(json);
    if (!blob.value) {
        fail(manifest, blob.problem);
    }
    const fs::path blobPath = models / *blob.value;
    const GgufHeader header = readGgufFile(files, blobPath);
    ModelShape shape = shapeOf(header, header.tensorBytes, blobPath);
    shape.source = ModelSource::ollama;
    shape.description = name.shortName() + ", " + shape.description;
    return shape;
}

ModelShape load(const std::string& argument, const fs::path& ollamaModels, ModelFiles& files,
                bool& found) {
    std::error_code error;
    const fs::path path(argument);
    const fs::file_status status = fs::status(path, error);
    if (!argument.empty() && fs::exists(status)) {
        found = true;
        if (fs::is_directory(status)) {
            return safetensorsModel(files, path);
        }
        if (argument.ends_with(".safetensors")) {
            return safetensorsModel(files, path.parent_path().empty() ? fs::path(".")
                                                                      : path.parent_path());
        }
        return ggufModel(files, path);
    }
    if (const std::optional<OllamaName> name = parseOllamaName(argument)) {
        const fs::path manifest = ollamaModels / name->manifestPath();
        if (fs::exists(manifest, error) || fs::is_symlink(manifest, error)) {
            found = true;
            return ollamaModel(files, ollamaModels, *name, manifest);
        }
    }
    return {};
}

} // namespace

ModelLookup lookUpModel(const std::string& argument, const std::filesystem::path& ollamaModels,
                        ModelFiles& files) {
    ModelLookup lookup;
    try {
        ModelShape shape = load(argument, ollamaModels, files, lookup.found);
        if (lookup.found) {
            lookup.shape.value = std::move(shape);
        }
    } catch (const ModelError& error) {
        lookup.found = true;
        lookup.shape.problem = error.problem;
    }
    return lookup;
}

ModelShape sizeShape(std::uint64_t weightBytes) {
    ModelShape shape;
    shape.source = ModelSource::size;
    shape.weightBytes = weightBytes;
    return shape;
}

} // namespace orvane::fit
