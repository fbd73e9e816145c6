// Ollama keeps each pulled model as a manifest (the OCI image manifest's layout: "layers", each
// with a "mediaType", a "digest" and a "size") under manifests/, and every layer as a blob named
// by its digest under blobs/, with the digest's ':' written as '-'.

#include "app/fit/OllamaManifest.h"

#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace orvane::fit {

namespace {

constexpr std::size_t maxPartLength = 80;
constexpr std::size_t maxHostLength = 350;

bool validPart(std::string_view part, std::size_t cap) {
    if (part.empty() || part.size() > cap || part.front() == '.' || part.front() == '-') {
        return false;
    }
    for (const char c : part) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

bool isHexDigest(std::string_view hex) {
    if (hex.size() != 64) {
        return false;
    }
    for (const char c : hex) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string OllamaName::manifestPath() const {
    return "manifests/" + host + "/" + space + "/" + model + "/" + tag;
}

std::string OllamaName::shortName() const {
    std::string name = model + ":" + tag;
    if (space != "library" || host != "registry.ollama.ai") {
        name = space + "/" + name;
    }
    if (host != "registry.ollama.ai") {
        name = host + "/" + name;
    }
    return name;
}

std::optional<OllamaName> parseOllamaName(std::string_view text) {
    OllamaName name{"registry.ollama.ai", "library", {}, "latest"};
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t slash = text.find('/'); slash != std::string_view::npos;
         slash = text.find('/', start)) {
        parts.push_back(text.substr(start, slash - start));
        start = slash + 1;
    }
    std::string_view last = text.substr(start);
    if (const std::size_t colon = last.find(':'); colon != std::string_view::npos) {
        const std::string_view tag = last.substr(colon + 1);
        if (!validPart(tag, maxPartLength)) {
            return std::nullopt;
        }
        name.tag = tag;
        last = last.substr(0, colon);
    }
    if (parts.size() > 2 || !validPart(last, maxPartLength)) {
        return std::nullopt;
    }
    name.model = last;
    if (parts.size() == 2) {
        if (!validPart(parts[0], maxHostLength)) {
            return std::nullopt;
        }
        name.host = parts[0];
    }
    if (!parts.empty()) {
        if (!validPart(parts.back(), maxPartLength)) {
            return std::nullopt;
        }
        name.space = parts.back();
    }
    return name;
}

Loaded<std::string> modelBlobPath(std::string_view manifestJson) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(manifestJson.data(), static_cast<qsizetype>(manifestJson.size())),
        &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return Loaded<std::string>::failed({"its manifest is not a JSON object", false});
    }
    for (const QJsonValue layer : document.object().value("layers").toArray()) {
        const QJsonObject entry = layer.toObject();
        if (entry.value("mediaType").toString() != "application/vnd.ollama.image.model") {
            continue;
        }
        const std::string digest = entry.value("digest").toString().toStdString();
        if (!digest.starts_with("sha256:") || !isHexDigest(std::string_view(digest).substr(7))) {
            return Loaded<std::string>::failed(
                {"its manifest gives the model layer a digest that is not sha256 and 64 "
                 "lowercase hex digits",
                 false});
        }
        return {"blobs/sha256-" + digest.substr(7), {}};
    }
    return Loaded<std::string>::failed({"its manifest names no model layer", false});
}

} // namespace orvane::fit
