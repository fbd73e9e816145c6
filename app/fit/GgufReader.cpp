// The GGUF container as llama.cpp's ggml library writes and reads it (its gguf.cpp and the format's
// description in ggml's docs/gguf.md): "GGUF", a 32-bit version, 64-bit counts of tensors and of
// metadata pairs; each pair a length-prefixed key, a 32-bit value type and the value; each tensor a
// name, its dimensions, its element type and the offset of its data, which starts at the next
// multiple of general.alignment after the descriptions. Everything is little-endian.

#include "app/fit/GgufReader.h"

#include <array>
#include <unordered_set>

#include "app/fit/FileCursor.h"
#include "app/fit/GgmlTypes.h"

namespace orvane::fit {

namespace {

enum ValueType : std::uint32_t {
    u8Type = 0,
    i8Type = 1,
    u16Type = 2,
    i16Type = 3,
    u32Type = 4,
    i32Type = 5,
    f32Type = 6,
    boolType = 7,
    stringType = 8,
    arrayType = 9,
    u64Type = 10,
    i64Type = 11,
    f64Type = 12,
};

// Bytes of one value of a fixed-size type; 0 for strings and arrays.
std::uint64_t fixedSize(std::uint32_t type) {
    constexpr std::array<std::uint64_t, 13> sizes{1, 1, 2, 2, 4, 4, 4, 1, 0, 0, 8, 8, 8};
    return type < sizes.size() ? sizes[type] : 0;
}

bool isInteger(std::uint32_t type) {
    return type <= i32Type || type == boolType || type == u64Type || type == i64Type;
}

// Caps far above any real model's and far below what could hurt: a hostile header is refused
// before its counts turn into loops or allocations.
constexpr std::uint64_t maxMetadataPairs = 65536;
constexpr std::uint64_t maxTensors = 1 << 20;
constexpr std::uint64_t maxArrayLength = 1 << 26;
constexpr std::uint64_t maxKeyLength = 65536;
constexpr std::uint64_t maxTensorNameLength = 65536;
constexpr std::uint32_t maxDimensions = 4; // ggml's GGML_MAX_DIMS
// What is kept of the metadata at most; past it, values are read over and not kept.
constexpr std::uint64_t keptBudgetBytes = 8 << 20;
constexpr std::uint64_t keptStringLength = 256;
constexpr std::uint64_t keptArrayLength = 65536;
constexpr std::uint64_t defaultAlignment = 32;

class GgufParser {
public:
    explicit GgufParser(ReadableFile& file) : cursor_(file, "its header") {}

    GgufHeader parse() {
        if (cursor_.size() < 4 || cursor_.text(4) != "GGUF") {
            malformed("it is not a GGUF file");
        }
        header_.version = cursor_.u32();
        checkVersion(header_.version);
        const std::uint64_t tensors = cursor_.u64();
        const std::uint64_t pairs = cursor_.u64();
        if (pairs > maxMetadataPairs || pairs > cursor_.remaining() / 13) {
            malformed("its header declares " + std::to_string(pairs) +
                      " metadata entries, more than the file can hold");
        }
        if (tensors > maxTensors || tensors > cursor_.remaining() / 32) {
            malformed("its header declares " + std::to_string(tensors) +
                      " tensors, more than the file can hold");
        }
        for (std::uint64_t i = 0; i < pairs; ++i) {
            readPair();
        }
        const std::uint64_t alignment = readAlignment();
        header_.tensorCount = tensors;
        std::uint64_t lastEnd = 0;
        std::string lastName;
        std::unordered_set<std::string> names;
        for (std::uint64_t i = 0; i < tensors; ++i) {
            std::string name = readTensor(alignment, lastEnd, lastName);
            if (names.contains(name)) {
                malformed("it describes the tensor '" + name + "' twice");
            }
            names.insert(std::move(name));
        }
        const std::uint64_t headerEnd = cursor_.offset();
        const std::uint64_t dataStart = (headerEnd + alignment - 1) / alignment * alignment;
        if (lastEnd > 0 && (dataStart > cursor_.size() || lastEnd > cursor_.size() - dataStart)) {
            malformed("the file ends at byte " + std::to_string(cursor_.size()) +
                      " of a declared " + std::to_string(dataStart + lastEnd) +
                      ": the data of tensor '" + lastName + "' is cut short");
        }
        // Tensors never share data, so together they fit in it: weights are never overstated.
        if (header_.tensorBytes > lastEnd) {
            malformed("its tensors claim more bytes than their data holds");
        }
        return std::move(header_);
    }

private:
    static void checkVersion(std::uint32_t version) {
        // A big-endian file's version reads back byte-swapped.
        if ((version & 0xFFFFFF) == 0 && (version >> 24) >= 1 && (version >> 24) <= 3) {
            malformed("it is a big-endian GGUF file, which Orvane does not read");
        }
        if (version == 1) {
            malformed("GGUF version 1 is not supported (only versions 2 and 3 are)");
        }
        if (version != 2 && version != 3) {
            malformed("GGUF version " + std::to_string(version) +
                      " is not supported (only versions 2 and 3 are)");
        }
    }

    std::uint64_t readLength(std::uint64_t cap, const char* what) {
        const std::uint64_t length = cursor_.u64();
        if (length > cap) {
            malformed(std::string(what) + " is " + std::to_string(length) +
                      " bytes long, more than Orvane accepts");
        }
        cursor_.need(length);
        return length;
    }

    bool keep(std::uint64_t bytes) {
        if (bytes > keptBudgetBytes - kept_) {
            return false;
        }
        kept_ += bytes;
        return true;
    }

    void readPair() {
        const std::uint64_t keyLength = readLength(maxKeyLength, "a metadata key");
        std::string key = cursor_.text(static_cast<std::size_t>(keyLength));
        const std::uint32_t type = cursor_.u32();
        GgufValue value;
        readValue(type, value, key);
        if (keep(key.size() + 64)) {
            if (!header_.metadata.emplace(key, std::move(value)).second) {
                malformed("its metadata has the key '" + key + "' twice");
            }
        }
    }

    std::int64_t readInteger(std::uint32_t type) {
        switch (type) {
        case u8Type:
        case boolType:
            return cursor_.u8();
        case i8Type:
            return static_cast<std::int8_t>(cursor_.u8());
        case u16Type:
            return cursor_.u16();
        case i16Type:
            return static_cast<std::int16_t>(cursor_.u16());
        case u32Type:
            return cursor_.u32();
        case i32Type:
            return static_cast<std::int32_t>(cursor_.u32());
        case i64Type:
            return static_cast<std::int64_t>(cursor_.u64());
        default: { // u64: what no signed integer holds is as implausible as any huge count
            const std::uint64_t value = cursor_.u64();
            return value > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX
                                                                 : static_cast<std::int64_t>(value);
        }
        }
    }

    void readValue(std::uint32_t type, GgufValue& value, const std::string& key) {
        if (type > f64Type) {
            malformed("its metadata value '" + key + "' has the unknown type " +
                      std::to_string(type));
        }
        if (isInteger(type)) {
            value.integer = readInteger(type);
        } else if (type == stringType) {
            const std::uint64_t length = readLength(cursor_.remaining(), "a string");
            if (length <= keptStringLength && keep(length)) {
                value.text = cursor_.text(static_cast<std::size_t>(length));
            } else {
                cursor_.skip(length);
            }
        } else if (type == arrayType) {
            readArray(value, key);
        } else {
            cursor_.skip(fixedSize(type));
        }
    }

    void readArray(GgufValue& value, const std::string& key) {
        const std::uint32_t type = cursor_.u32();
        const std::uint64_t length = cursor_.u64();
        if (type == arrayType) {
            malformed("its metadata value '" + key + "' is an array of arrays");
        }
        if (type > f64Type) {
            malformed("its metadata array '" + key + "' has the unknown element type " +
                      std::to_string(type));
        }
        const std::uint64_t elementSize = type == stringType ? 8 : fixedSize(type);
        if (length > maxArrayLength || length > cursor_.remaining() / elementSize) {
            malformed("its metadata array '" + key + "' declares " + std::to_string(length) +
                      " elements, more than the file can hold");
        }
        value.isArray = true;
        value.arrayLength = length;
        if (type == stringType) {
            cursor_.skipStrings(length);
        } else if (isInteger(type) && length <= keptArrayLength && keep(length * 8)) {
            value.integers.reserve(static_cast<std::size_t>(length));
            for (std::uint64_t i = 0; i < length; ++i) {
                value.integers.push_back(readInteger(type));
            }
        } else {
            cursor_.skip(length * elementSize);
        }
    }

    std::uint64_t readAlignment() const {
        const std::optional<std::int64_t> alignment = header_.integer("general.alignment");
        if (!alignment) {
            return defaultAlignment;
        }
        if (*alignment <= 0 || *alignment > (1 << 30) || (*alignment & (*alignment - 1)) != 0) {
            malformed("its general.alignment of " + std::to_string(*alignment) +
                      " is not a power of two");
        }
        return static_cast<std::uint64_t>(*alignment);
    }

    // Reads one tensor's description, adds its data's size and keeps the furthest end of any
    // tensor's data with that tensor's name. Gives the tensor's name.
    std::string readTensor(std::uint64_t alignment, std::uint64_t& lastEnd, std::string& lastName) {
        std::string name = cursor_.text(
            static_cast<std::size_t>(readLength(maxTensorNameLength, "a tensor name")));
        const std::uint32_t dimensions = cursor_.u32();
        if (dimensions == 0 || dimensions > maxDimensions) {
            malformed("its tensor '" + name + "' has " + std::to_string(dimensions) +
                      " dimensions (1 to 4 are possible)");
        }
        std::array<std::uint64_t, maxDimensions> extent{1, 1, 1, 1};
        for (std::uint32_t d = 0; d < dimensions; ++d) {
            extent[d] = cursor_.u64();
        }
        const std::uint32_t type = cursor_.u32();
        const std::uint64_t offset = cursor_.u64();
        const std::uint64_t bytes = tensorBytes(type, extent, name);
        if (offset % alignment != 0) {
            malformed("the data of its tensor '" + name + "' is not aligned to " +
                      std::to_string(alignment) + " bytes");
        }
        if (bytes > UINT64_MAX - offset || bytes > UINT64_MAX - header_.tensorBytes) {
            malformed("its tensor '" + name + "' is larger than any file");
        }
        header_.tensorBytes += bytes;
        if (offset + bytes > lastEnd) {
            lastEnd = offset + bytes;
            lastName = name;
        }
        if (name == "token_embd.weight" && dimensions >= 2) {
            header_.embeddingRows = extent[1];
        }
        return name;
    }

    static std::uint64_t tensorBytes(std::uint32_t type,
                                     const std::array<std::uint64_t, maxDimensions>& extent,
                                     const std::string& name) {
        const std::optional<GgmlType> traits = ggmlType(type);
        if (!traits) {
            malformed("its tensor '" + name + "' has the element type " + std::to_string(type) +
                      ", which Orvane does not know");
        }
        // Every factor is checked before it multiplies, so that sizes stay far below 2^64.
        constexpr std::uint64_t limit = std::uint64_t{1} << 62;
        if (extent[0] > limit) {
            malformed("its tensor '" + name + "' is larger than any file");
        }
        if (extent[0] % traits->blockElements != 0) {
            malformed("its tensor '" + name + "' has rows of " + std::to_string(extent[0]) +
                      " elements, not a whole number of " + traits->name + " blocks");
        }
        std::uint64_t bytes = extent[0] / traits->blockElements * traits->blockBytes;
        for (std::size_t d = 1; d < extent.size(); ++d) {
            if (extent[d] != 0 && bytes > limit / extent[d]) {
                malformed("its tensor '" + name + "' is larger than any file");
            }
            bytes *= extent[d];
        }
        return bytes;
    }

    FileCursor cursor_;
    GgufHeader header_;
    std::uint64_t kept_ = 0;
};

} // namespace

const GgufValue* GgufHeader::find(std::string_view key) const {
    const auto it = metadata.find(key);
    return it == metadata.end() ? nullptr : &it->second;
}

std::optional<std::int64_t> GgufHeader::integer(std::string_view key) const {
    const GgufValue* value = find(key);
    return value ? value->integer : std::nullopt;
}

std::optional<std::string> GgufHeader::text(std::string_view key) const {
    const GgufValue* value = find(key);
    return value ? value->text : std::nullopt;
}

Loaded<GgufHeader> readGguf(ReadableFile& file) {
    try {
        return {GgufParser(file).parse(), {}};
    } catch (const ModelError& error) {
        return Loaded<GgufHeader>::failed(error.problem);
    }
}

} // namespace orvane::fit
