#pragma once

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace orvane::test {

// Writes GGUF files the way llama.cpp's gguf library does, for tests and benchmarks: metadata of
// any type, tensor descriptions with their data laid out at aligned offsets, and the data itself
// as a hole (the file is extended, never filled), so a model of gigabytes costs nothing on disk.
class GgufWriter {
public:
    enum Type : std::uint32_t { u16 = 2, u32 = 4, i32 = 5, f32 = 6, text = 8, array = 9 };
    enum Tensor : std::uint32_t { F32 = 0, F16 = 1, Q4_0 = 2, Q8_0 = 8, Q4_K = 12, Q6_K = 14 };

    explicit GgufWriter(std::uint32_t version = 3) : version_(version) {}

    GgufWriter& uint32(const std::string& key, std::uint32_t value) {
        pair(key, u32);
        number(value, 4);
        return *this;
    }
    GgufWriter& uint16(const std::string& key, std::uint16_t value) {
        pair(key, u16);
        number(value, 2);
        return *this;
    }
    GgufWriter& float32(const std::string& key, float value) {
        pair(key, f32);
        number(std::bit_cast<std::uint32_t>(value), 4);
        return *this;
    }
    GgufWriter& string(const std::string& key, const std::string& value) {
        pair(key, text);
        str(value);
        return *this;
    }
    GgufWriter& int32s(const std::string& key, const std::vector<std::int32_t>& values) {
        pair(key, array);
        number(i32, 4);
        number(values.size(), 8);
        for (const std::int32_t value : values) {
            number(static_cast<std::uint32_t>(value), 4);
        }
        return *this;
    }
    // count strings made by name(i): a vocabulary, merges.
    template <class Name>
    GgufWriter& strings(const std::string& key, std::uint64_t count, Name name) {
        pair(key, array);
        number(text, 4);
        number(count, 8);
        for (std::uint64_t i = 0; i < count; ++i) {
            str(name(i));
        }
        return *this;
    }
    GgufWriter& tensor(const std::string& name, const std::vector<std::uint64_t>& extent,
                       std::uint32_t type, std::uint64_t bytes) {
        tensors_ += lengthPrefixed(name);
        tensors_ += encode(extent.size(), 4);
        for (const std::uint64_t each : extent) {
            tensors_ += encode(each, 8);
        }
        tensors_ += encode(type, 4);
        tensors_ += encode(dataBytes_, 8);
        dataBytes_ += (bytes + 31) / 32 * 32;
        ++tensorCount_;
        return *this;
    }

    // The header, padded to the data's alignment, then the tensors' data as a hole; dataShort
    // bytes fewer to cut it short.
    void write(const std::filesystem::path& path, std::uint64_t dataShort = 0) const {
        std::string header = "GGUF" + encode(version_, 4) + encode(tensorCount_, 8) +
                             encode(pairs_, 8) + body_ + tensors_;
        header.resize((header.size() + 31) / 32 * 32, '\0');
        std::ofstream(path, std::ios::binary | std::ios::trunc) << header;
        std::filesystem::resize_file(path, header.size() + dataBytes_ - dataShort);
    }

    static std::string encode(std::uint64_t value, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i) {
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
        return out;
    }
    static std::string lengthPrefixed(const std::string& value) {
        return encode(value.size(), 8) + value;
    }

private:
    void pair(const std::string& key, std::uint32_t type) {
        str(key);
        number(type, 4);
        ++pairs_;
    }
    void number(std::uint64_t value, int bytes) { body_ += encode(value, bytes); }
    void str(const std::string& value) { body_ += lengthPrefixed(value); }

    std::uint32_t version_;
    std::uint64_t pairs_ = 0;
    std::uint64_t tensorCount_ = 0;
    std::uint64_t dataBytes_ = 0;
    std::string body_;
    std::string tensors_;
};

} // namespace orvane::test
