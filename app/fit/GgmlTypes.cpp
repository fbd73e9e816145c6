#include "app/fit/GgmlTypes.h"

#include <array>

namespace orvane::fit {

namespace {

// ggml's type traits (ggml.c), block by block: a Q4_0 block is 32 weights in 18 bytes (one f16
// scale and 16 bytes of nibbles), the K-quants pack 256 weights per block, and so on. Numbers
// 4, 5 and 31 to 38 were retired and never appear in a file ggml still reads.
constexpr std::array<GgmlType, 42> types{{
    {"F32", 1, 4},        {"F16", 1, 2},       {"Q4_0", 32, 18},     {"Q4_1", 32, 20},
    {nullptr, 0, 0},      {nullptr, 0, 0},     {"Q5_0", 32, 22},     {"Q5_1", 32, 24},
    {"Q8_0", 32, 34},     {"Q8_1", 32, 36},    {"Q2_K", 256, 84},    {"Q3_K", 256, 110},
    {"Q4_K", 256, 144},   {"Q5_K", 256, 176},  {"Q6_K", 256, 210},   {"Q8_K", 256, 292},
    {"IQ2_XXS", 256, 66}, {"IQ2_XS", 256, 74}, {"IQ3_XXS", 256, 98}, {"IQ1_S", 256, 50},
    {"IQ4_NL", 32, 18},   {"IQ3_S", 256, 110}, {"IQ2_S", 256, 82},   {"IQ4_XS", 256, 136},
    {"I8", 1, 1},         {"I16", 1, 2},       {"I32", 1, 4},        {"I64", 1, 8},
    {"F64", 1, 8},        {"IQ1_M", 256, 56},  {"BF16", 1, 2},       {nullptr, 0, 0},
    {nullptr, 0, 0},      {nullptr, 0, 0},     {"TQ1_0", 256, 54},   {"TQ2_0", 256, 66},
    {nullptr, 0, 0},      {nullptr, 0, 0},     {nullptr, 0, 0},      {"MXFP4", 32, 17},
    {"NVFP4", 64, 36},    {"Q1_0", 128, 18},
}};

} // namespace

std::optional<GgmlType> ggmlType(std::uint32_t type) {
    if (type >= types.size() || types[type].name == nullptr) {
        return std::nullopt;
    }
    return types[type];
}

} // namespace orvane::fit
