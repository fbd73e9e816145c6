// The format as Hugging Face's safetensors library defines it: 8 bytes of little-endian header
// length N, N bytes of UTF-8 JSON, then the data. The JSON maps each tensor's name to its "dtype",
// "shape" and "data_offsets" [begin, end) relative to the data; "__metadata__" holds strings. The
// library itself refuses headers over 100 MB.

#include "app/fit/SafetensorsReader.h"

#include <array>
#include <string_view>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/fit/FileCursor.h"

namespace orvane::fit {

namespace {

constexpr std::uint64_t maxHeaderBytes = 100'000'000;
constexpr double maxExactInteger = 9007199254740992.0; // 2^53: JSON numbers are doubles

struct Dtype {
    std::string_view name;
    std::uint64_t bits;
};

// The types whose elements take whole bytes; packed sub-byte types (F4, F6) are taken at their
// offsets' word.
constexpr std::array<Dtype, 17> dtypes{{
    {"BOOL", 8},
    {"U8", 8},
    {"I8", 8},
    {"F8_E5M2", 8},
    {"F8_E4M3", 8},
    {"F8_E8M0", 8},
    {"I16", 16},
    {"U16", 16},
    {"F16", 16},
    {"BF16", 16},
    {"I32", 32},
    {"U32", 32},
    {"F32", 32},
    {"F64", 64},
    {"I64", 64},
    {"U64", 64},
    {"C64", 64},
}};

std::uint64_t wholeNumber(const QJsonValue& value, const std::string& what) {
    const double number = value.toDouble(-1.0);
    if (!value.isDouble() || number < 0.0 || number > maxExactInteger ||
        number != static_cast<double>(static_cast<std::uint64_t>(number))) {
        malformed(what + " is not a whole number of bytes or elements");
    }
    return static_cast<std::uint64_t>(number);
}

SafetensorsHeader parse(ReadableFile& file) {
    FileCursor cursor(file, "its header");
    if (cursor.size() < 8) {
        malformed("it is not a safetensors file: it is shorter than the length of a header");
    }
    const std::uint64_t length = cursor.u64();
    if (length > maxHeaderBytes) {
        malformed("its header is declared " + std::to_string(length) +
                  " bytes long, more than the 100 MB safetensors allows");
    }
    if (length > cursor.remaining()) {
        malformed("the file ends at byte " + std::to_string(cursor.size()) +
                  " of a header declared to end at byte " + std::to_string(8 + length));
    }
    const std::string json = cursor.text(static_cast<std::size_t>(length));
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(json.data(), static_cast<qsizetype>(json.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        malformed("its header is not a JSON object (" +
                  (error.error != QJsonParseError::NoError ? error.errorString().toStdString()
                                                           : std::string("another JSON value")) +
                  ")");
    }
    const std::uint64_t dataBytes = cursor.remaining();
    const QJsonObject tensors = document.object();
    SafetensorsHeader header;
    for (auto it = tensors.begin(); it != tensors.end(); ++it) {
        if (it.key() == "__metadata__") {
            continue;
        }
        const std::string name = "tensor '" + it.key().toStdString() + "'";
        const QJsonObject tensor = it.value().toObject();
        const QJsonArray offsets = tensor.value("data_offsets").toArray();
        if (!it.value().isObject() || offsets.size() != 2 || !tensor.value("dtype").isString() ||
            !tensor.value("shape").isArray()) {
            malformed("its " + name + " lacks a dtype, a shape or its two data offsets");
        }
        const std::uint64_t begin = wholeNumber(offsets[0], "the " + name + "'s data offset");
        const std::uint64_t end = wholeNumber(offsets[1], "the " + name + "'s data offset");
        if (begin > end || end > dataBytes) {
            malformed("its " + name + " lies at bytes " + std::to_string(begin) + " to " +
                      std::to_string(end) + " of data that is " + std::to_string(dataBytes) +
                      " bytes long");
        }
        const std::string dtype = tensor.value("dtype").toString().toStdString();
        for (const Dtype& known : dtypes) {
            if (known.name != dtype) {
                continue;
            }
            double elements = 1.0;
            for (const QJsonValue dimension : tensor.value("shape").toArray()) {
                elements *= static_cast<double>(wholeNumber(dimension, "the " + name + "'s shape"));
            }
            if (elements * static_cast<double>(known.bits / 8) !=
                static_cast<double>(end - begin)) {
                malformed("its " + name + " holds " + std::to_string(end - begin) +
                          " bytes, not what its shape of " + dtype + " elements takes");
            }
        }
        // Tensors never share bytes, so together they fit in the data (and the sum never wraps).
        header.tensorBytes += end - begin;
        ++header.tensorCount;
        if (header.tensorBytes > dataBytes) {
            malformed("its tensors claim more than the " + std::to_string(dataBytes) +
                      " bytes of data it holds");
        }
    }
    return header;
}

} // namespace

Loaded<SafetensorsHeader> readSafetensors(ReadableFile& file) {
    try {
        return {parse(file), {}};
    } catch (const ModelError& error) {
        return Loaded<SafetensorsHeader>::failed(error.problem);
    }
}

} // namespace orvane::fit
