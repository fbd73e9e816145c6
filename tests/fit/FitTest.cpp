// Models written here as their formats lay them out (GGUF files, safetensors folders, Ollama
// manifests), read back through the real file port, and their KV cache checked to the byte
// against llama.cpp's allocation: per layer, a key row and a value row as wide as the widest
// layer's, for every cell of the context rounded up to 256 (sliding layers: the window and one
// micro-batch of 512, rounded alike).

#include <filesystem>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <variant>

#include "app/fit/Estimate.h"
#include "app/fit/ModelLookup.h"
#include "app/fit/Verdict.h"
#include "platform/posix/PosixModelFiles.h"
#include "tests/support/GgufWriter.h"
#include "tests/support/TempDir.h"

namespace orvane::fit {
namespace {

using test::GgufWriter;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;
constexpr auto encode = &GgufWriter::encode;

constexpr std::uint64_t MiB = 1 << 20;
constexpr std::uint64_t GiB = std::uint64_t{1} << 30;

// The metadata every model below shares, then the architecture's own numbers under
// "<arch>.attention.", where most of them lie; others are added per case.
GgufWriter model(const std::string& arch, std::uint32_t layers, std::uint32_t embedding,
                 std::uint32_t context,
                 std::initializer_list<std::pair<const char*, std::uint32_t>> attention = {}) {
    GgufWriter gguf;
    gguf.string("general.architecture", arch)
        .uint32(arch + ".block_count", layers)
        .uint32(arch + ".embedding_length", embedding)
        .uint32(arch + ".context_length", context)
        .float32(arch + ".rope.freq_base", 500000.0f)
        .strings("tokenizer.ggml.tokens", 1000, [](std::uint64_t i) { return std::to_string(i); })
        .tensor("token_embd.weight", {embedding, 1000}, GgufWriter::Q8_0,
                embedding / 32 * 34 * 1000);
    for (const auto& [name, value] : attention) {
        gguf.uint32(arch + ".attention." + name, value);
    }
    return gguf;
}

void safetensors(const std::filesystem::path& path, const std::string& json,
                 std::uint64_t dataBytes) {
    std::ofstream(path, std::ios::binary) << encode(json.size(), 8) << json;
    std::filesystem::resize_file(path, 8 + json.size() + dataBytes);
}

// One tensor of `bytes` bytes of U8 at the start of the data.
std::string tensorJson(const std::string& name, std::uint64_t begin, std::uint64_t bytes) {
    return "\"" + name + "\":{\"dtype\":\"U8\",\"shape\":[" + std::to_string(bytes) +
           "],\"data_offsets\":[" + std::to_string(begin) + "," + std::to_string(begin + bytes) +
           "]}";
}

class FitTest : public ::testing::Test {
protected:
    ModelLookup look(const std::string& argument) {
        return lookUpModel(argument, dir / "ollama", files);
    }
    ModelShape shape(const std::string& argument) {
        ModelLookup lookup = look(argument);
        EXPECT_TRUE(lookup.found) << argument;
        EXPECT_TRUE(lookup.shape.value) << lookup.shape.problem.sentence;
        return lookup.shape.value.value_or(ModelShape{});
    }

    test::TempDir dir;
    posix::PosixModelFiles files;
};

// Which layers cache what, how wide and for how many cells, as llama.cpp's loader decides from GGUF
// metadata and its converter from config.json: each case's KV cache to the byte.
TEST_F(FitTest, KvCacheIsWhatLlamaCppAllocatesToTheByte) {
    // Dense with grouped-query attention: 32 heads share 8 KV heads of 128. Its head counts come
    // after a header larger than the reader's window: strings of every length across its edges,
    // and one longer than the window.
    const GgufWriter dense =
        model("llama", 32, 4096, 131072)
            .string("tokenizer.chat_template", std::string(300000, 'x'))
            .strings("tokenizer.ggml.merges", 60000,
                     [](std::uint64_t i) { return std::string(i % 23, 'm'); })
            .uint32("llama.attention.head_count", 32)
            .uint32("llama.attention.head_count_kv", 8)
            .tensor("blk.0.attn_q.weight", {4096, 4096}, GgufWriter::Q4_K, 4096 / 256 * 144 * 4096);
    // A mixture of experts keeps every expert's weights; its cache is a dense model's.
    GgufWriter moe = model("llama", 2, 4096, 32768, {{"head_count", 32}, {"head_count_kv", 8}})
                         .uint32("llama.expert_count", 8);
    for (const char* block : {"blk.0", "blk.1"}) {
        moe.tensor(std::string(block) + ".ffn_up_exps.weight", {4096, 14336, 8}, GgufWriter::Q4_K,
                   4096 / 256 * 144 * 14336 * 8);
    }
    // Gemma 3 slides over 1024 tokens on five layers of six.
    const GgufWriter gemma3 =
        model("gemma3", 12, 1024, 32768, {{"head_count", 8}, {"head_count_kv", 4}})
            .uint32("gemma3.attention.key_length", 256)
            .uint32("gemma3.attention.value_length", 256)
            .uint32("gemma3.attention.sliding_window", 1024);
    // Four layers of 8 heads sharing 2 KV heads of 128, where they slide over 1000 tokens: 8192
    // cells, or 1536 on a sliding layer (1000 + 512, rounded up to 256); rows of 256 elements for
    // keys and values alike, f16.
    const auto windowed = [](const std::string& arch) -> GgufWriter {
        return model(arch, 4, 1024, 32768,
                     {{"head_count", 8}, {"head_count_kv", 2}, {"sliding_window", 1000}});
    };
    const auto layers = [](int full, int sliding) {
        return (full * 8192u + sliding * 1536u) * (256 + 256) * 2;
    };
    struct Case {
        const char* name;
        std::variant<GgufWriter, std::string> model; // a GGUF file, or a folder's config.json
        std::uint64_t kvBytes;
        std::uint64_t context = 0; // 0: the default
        KvType type = KvType::f16;
    };
    const Case cases[] = {
        {"dense", dense, 32u * 8192 * (1024 + 1024) * 2},
        {"dense, 5000 tokens", dense, 32u * 5120 * (1024 + 1024) * 2, 5000},
        {"dense, q8_0", dense, 32u * 8192 * 2 * (1024 / 32 * 34), 0, KvType::q8_0},
        {"dense, q4_0", dense, 32u * 8192 * 2 * (1024 / 32 * 18), 0, KvType::q4_0},
        // Keys 512, 0, 256, 512 wide; every value row as wide as the widest, 256.
        {"per-layer head arrays, one layer without KV heads",
         model("openelm", 4, 2048, 2048)
             .int32s("openelm.attention.head_count", {16, 16, 16, 16})
             .int32s("openelm.attention.head_count_kv", {4, 0, 2, 4})
             .uint32("openelm.attention.key_length", 128)
             .uint32("openelm.attention.value_length", 64),
         2048u * 2 * ((512 + 256) + (256 + 256) + (512 + 256))},
        {"gemma3", gemma3, (2u * 8192 + 10u * 1536) * (1024 + 1024) * 2},
        {"gemma3, 1000 tokens", gemma3, 12u * 1024 * (1024 + 1024) * 2, 1000},
        {"mixture of experts", moe, 2u * 8192 * (1024 + 1024) * 2},
        // One latent of 512 and 64 rotary dimensions per layer, no values.
        {"compressed attention",
         model("deepseek2", 3, 2048, 163840,
               {{"head_count", 16},
                {"head_count_kv", 1},
                {"key_length", 576},
                {"value_length", 512},
                {"kv_lora_rank", 512},
                {"key_length_mla", 192}})
             .uint32("deepseek2.rope.dimension_count", 64),
         3u * 8192 * 576 * 2},
        {"no sliding rule: every layer full", windowed("qwen2"), layers(4, 0)},
        {"gemma2: every other layer slides", windowed("gemma2"), layers(2, 2)},
        {"the file's period overrides gemma3's 6",
         windowed("gemma3").uint32("gemma3.attention.sliding_window_pattern", 4), layers(1, 3)},
        {"per-layer flags",
         windowed("exaone4").int32s("exaone4.attention.sliding_window_pattern", {1, 0, 0, 1}),
         layers(2, 2)},
        // An older conversion without key_length_mla caches every head in full.
        {"compressed attention, older conversion",
         windowed("deepseek2")
             .uint32("deepseek2.attention.kv_lora_rank", 512)
             .uint32("deepseek2.attention.key_length", 192)
             .uint32("deepseek2.attention.value_length", 128),
         4u * 8192 * (192 * 2 + 128 * 2) * 2},
        {"config.json: text_config",
         R"({"text_config":{"num_hidden_layers":4,"hidden_size":1024,"num_attention_heads":8,
             "num_key_value_heads":2,"sliding_window":1000,"model_type":"gemma2",
             "max_position_embeddings":32768}})",
         layers(2, 2)},
        // Layers 0 and 2 slide; 2 holds nothing.
        {"config.json: head array and period",
         R"({"num_hidden_layers":4,"hidden_size":1024,"num_attention_heads":8,
             "num_key_value_heads":[2,2,0,2],"sliding_window":1000,"sliding_window_pattern":2})",
         (2 * 8192u + 1536u) * (256 + 256) * 2},
        {"config.json: sliding turned off",
         R"({"num_hidden_layers":4,"hidden_size":1024,"num_attention_heads":8,
             "num_key_value_heads":2,"sliding_window":1000,"use_sliding_window":false,
             "model_type":"gemma2"})",
         layers(4, 0)},
        {"config.json: compressed attention",
         R"({"num_hidden_layers":4,"hidden_size":1024,"num_attention_heads":8,
             "kv_lora_rank":512,"qk_rope_head_dim":64,"head_dim":null})",
         4u * 8192 * 576 * 2},
    };
    std::filesystem::create_directory(dir / "hf");
    safetensors(dir / "hf/model.safetensors", "{" + tensorJson("w", 0, 64) + "}", 64);
    for (const Case& c : cases) {
        std::filesystem::path path = dir / "hf";
        if (const auto* gguf = std::get_if<GgufWriter>(&c.model)) {
            path = dir / "case.gguf";
            gguf->write(path);
        } else {
            std::ofstream(path / "config.json") << std::get<std::string>(c.model);
        }
        const ModelShape read = shape(path.string());
        const std::uint64_t context = c.context ? c.context : defaultContext(read);
        EXPECT_EQ(estimate(read, context, c.type).kvCacheBytes, c.kvBytes) << c.name;
    }

    moe.write(dir / "moe.gguf");
    EXPECT_EQ(shape((dir / "moe.gguf").string()).weightBytes,
              4096u / 32 * 34 * 1000 + 2u * 4096 / 256 * 144 * 14336 * 8);
    dense.write(dir / "dense.gguf");
    const ModelShape read = shape((dir / "dense.gguf").string());
    EXPECT_EQ(read.vocabulary, 1000u);
    // The compute buffer: a layer's attention scores for a micro-batch against the whole cache.
    // What the buffers and the overhead add up to is read in the command line's fit walk.
    EXPECT_EQ(estimate(read, 8192, KvType::f16).computeBytes,
              4u * 512 * (32 * 8192 + 8192 + 4 * 4096));
}

TEST_F(FitTest, SplitModelsFoldersAndOllamaNamesAreReadWhole) {
    // Three parts of a split GGUF: the metadata in the first, tensors in each.
    for (std::uint32_t part = 0; part < 3; ++part) {
        GgufWriter gguf =
            part == 0 ? model("llama", 2, 4096, 8192, {{"head_count", 32}, {"head_count_kv", 8}})
                      : GgufWriter();
        gguf.uint16("split.no", part)
            .uint16("split.count", 3)
            .tensor("blk." + std::to_string(part) + ".w", {4096, 1024}, GgufWriter::F16, 8 * MiB)
            .write(dir / ("big-0000" + std::to_string(part + 1) + "-of-00003.gguf"));
    }
    const std::uint64_t embeddings = 4096u / 32 * 34 * 1000;
    for (const char* part : {"big-00001-of-00003.gguf", "big-00003-of-00003.gguf"}) {
        const ModelShape split = shape((dir / part).string());
        EXPECT_EQ(split.weightBytes, embeddings + 3 * 8 * MiB);
        EXPECT_EQ(split.layers.size(), 2u);
    }

    // A safetensors folder, with and without its index: config.json gives the shape.
    const auto folder = dir / "hf";
    std::filesystem::create_directory(folder);
    std::ofstream(folder / "config.json")
        << R"({"model_type":"x","num_hidden_layers":4,"hidden_size":2048,
               "num_attention_heads":16,"num_key_value_heads":4,"head_dim":128,
               "sliding_window":512,"max_position_embeddings":4096,"vocab_size":32000,
               "layer_types":["sliding_attention","full_attention","sliding_attention",
                              "full_attention"]})";
    safetensors(folder / "model-00001-of-00002.safetensors",
                "{" + tensorJson("a", 0, 3 * MiB) + "," + tensorJson("b", 3 * MiB, 1 * MiB) + "}",
                4 * MiB);
    safetensors(folder / "model-00002-of-00002.safetensors",
                R"({"__metadata__":{"format":"mlx"},)" + tensorJson("c", 0, 5 * MiB) + "}",
                5 * MiB);
    safetensors(folder / "stray.safetensors", "{" + tensorJson("d", 0, 7) + "}", 7);
    const std::uint64_t hfKv = (2u * 4096 + 2u * 1024) * (512 + 512) * 2;
    ModelShape listed = shape(folder.string());
    EXPECT_EQ(listed.weightBytes, 9 * MiB + 7);
    std::ofstream(folder / "model.safetensors.index.json")
        << R"({"weight_map":{"a":"model-00001-of-00002.safetensors",
               "b":"model-00001-of-00002.safetensors","c":"model-00002-of-00002.safetensors"}})";
    for (const auto& path : {folder, folder / "model-00002-of-00002.safetensors"}) {
        const ModelShape indexed = shape(path.string());
        EXPECT_EQ(indexed.weightBytes, 9 * MiB);
        EXPECT_EQ(indexed.source, ModelSource::safetensors);
        EXPECT_EQ(estimate(indexed, defaultContext(indexed), KvType::f16).kvCacheBytes, hfKv);
    }

    // An Ollama name, through its manifest to the model's blob; the tag defaults to latest.
    const std::string digest(64, 'a');
    std::filesystem::create_directories(dir / "ollama/manifests/registry.ollama.ai/library/tiny");
    std::filesystem::create_directories(dir / "ollama/blobs");
    std::ofstream(dir / "ollama/manifests/registry.ollama.ai/library/tiny/latest")
        << R"({"schemaVersion":2,"layers":[
               {"mediaType":"application/vnd.ollama.image.template","digest":"sha256:)" +
               std::string(64, 'b') + R"(","size":10},
               {"mediaType":"application/vnd.ollama.image.model","digest":"sha256:)" +
               digest + R"(","size":1}]})";
    std::filesystem::copy_file(dir / "big-00001-of-00003.gguf",
                               dir / ("ollama/blobs/sha256-" + digest));
    for (const char* name : {"tiny", "tiny:latest", "library/tiny"}) {
        const ModelShape pulled = shape(name);
        EXPECT_EQ(pulled.source, ModelSource::ollama);
        EXPECT_EQ(pulled.description, "tiny:latest, llama, 2 layers");
    }
    EXPECT_FALSE(look("tiny:other").found);
    EXPECT_FALSE(look("40GB").found);
    EXPECT_FALSE(look("../tiny").found);
}

// Every malformed model gets one sentence naming what is wrong, and nothing else happens.
TEST_F(FitTest, MalformedModelsAreRefusedWithOneSentence) {
    const auto header = [](std::uint32_t version, std::uint64_t tensors, std::uint64_t pairs) {
        return "GGUF" + encode(version, 4) + encode(tensors, 8) + encode(pairs, 8);
    };
    const auto llama = [] { return model("llama", 2, 4096, 8192, {{"head_count", 32}}); };
    const std::string key = GgufWriter::lengthPrefixed("k");
    struct Case {
        std::string name;
        std::function<void(const std::filesystem::path&)> write;
        std::string says;
    };
    const auto bytes = [](const std::string& content) {
        return [content](const std::filesystem::path& path) {
            std::ofstream(path, std::ios::binary) << content;
        };
    };
    const auto gguf = [](const GgufWriter& writer) {
        return [writer](const std::filesystem::path& path) { writer.write(path); };
    };
    const Case cases[] = {
        {"text.gguf", bytes("hello, world"), "it is not a GGUF file"},
        {"v1.gguf", bytes(header(1, 0, 0)), "GGUF version 1 is not supported"},
        {"v9.gguf", bytes(header(9, 0, 0)), "GGUF version 9 is not supported"},
        {"big.gguf", bytes("GGUF" + std::string("\0\0\0\3", 4) + std::string(16, '\0')),
         "big-endian"},
        {"short.gguf", bytes(header(3, 0, 1) + key + encode(4, 4)),
         "the file ends at byte 37, inside its header"},
        {"pairs.gguf", bytes(header(3, 0, 1000000)), "1000000 metadata entries, more than"},
        {"tensors.gguf", bytes(header(3, 1u << 30, 0)), "tensors, more than the file can hold"},
        {"string.gguf", bytes(header(3, 0, 1) + key + encode(8, 4) + encode(~0ull, 8)),
         "a string is 18446744073709551615 bytes long"},
        {"array.gguf",
         bytes(header(3, 0, 1) + key + encode(9, 4) + encode(4, 4) + encode(1ull << 40, 8)),
         "declares 1099511627776 elements"},
        {"nested.gguf", bytes(header(3, 0, 1) + key + encode(9, 4) + encode(9, 4) + encode(1, 8)),
         "is an array of arrays"},
        {"type.gguf", bytes(header(3, 0, 1) + key + encode(13, 4)), "has the unknown type 13"},
        {"dims.gguf", gguf(llama().tensor("w", {1, 1, 1, 1, 1}, GgufWriter::F32, 4)),
         "its tensor 'w' has 5 dimensions (1 to 4 are possible)"},
        {"ggml.gguf", gguf(llama().tensor("w", {32}, 77, 32)),
         "the element type 77, which Orvane does not know"},
        {"block.gguf", gguf(llama().tensor("w", {100, 2}, GgufWriter::Q4_K, 1)),
         "rows of 100 elements, not a whole number of Q4_K blocks"},
        {"cut.gguf", [&](const auto& path) { llama().write(path, 1); }, "of a declared"},
        {"twice.gguf",
         gguf(llama()
                  .tensor("w", {32}, GgufWriter::F32, 128)
                  .tensor("w", {32}, GgufWriter::F32, 128)),
         "describes the tensor 'w' twice"},
        {"noarch.gguf", gguf(GgufWriter()), "it names no architecture"},
        {"heads.gguf",
         gguf(model("llama", 2, 4096, 8192).int32s("llama.attention.head_count", {32})),
         "llama.attention.head_count has 1 entries for 2 layers"},
        {"huge.gguf", gguf(model("llama", 2, 4096, 8192, {{"head_count", 4000000000u}})),
         "is not plausible"},
        {"lone-00002-of-00003.gguf", gguf(llama()),
         "lone-00001-of-00003.gguf: No such file or directory"},
        {"st.safetensors", bytes(encode(1000, 8) + "{}"),
         "the file ends at byte 10 of a header declared to end at byte 1008"},
        {"huge.safetensors", bytes(encode(200'000'000, 8)), "more than the 100 MB"},
        {"json.safetensors", bytes(encode(3, 8) + "[1]"), "not a JSON object"},
        {"beyond.safetensors",
         bytes(encode(2 + tensorJson("a", 0, 4).size(), 8) + "{" + tensorJson("a", 0, 4) + "}"),
         "its tensor 'a' lies at bytes 0 to 4 of data that is 0 bytes long"},
        {"shape.safetensors",
         bytes(encode(56, 8) + R"({"a":{"dtype":"F16","shape":[4],"data_offsets":[0,4]}}  )" +
               "data"),
         "its tensor 'a' holds 4 bytes, not what its shape of F16 elements takes"},
        {"fifo", [](const auto& path) { ::mkfifo(path.c_str(), 0600); },
         "it is a FIFO, not a regular file"},
    };
    const auto refused = [&](const std::string& argument, const std::string& says) {
        const ModelLookup lookup = look(argument);
        EXPECT_TRUE(lookup.found && !lookup.shape.value && !lookup.shape.problem.readFailure)
            << argument;
        EXPECT_THAT(lookup.shape.problem.sentence,
                    AllOf(StartsWith("Cannot use "), HasSubstr(says)));
    };
    for (const Case& c : cases) {
        const auto path = dir / c.name;
        c.write(path);
        if (c.name.ends_with(".safetensors")) {
            std::ofstream(dir / "config.json") << R"({"num_hidden_layers":1,"hidden_size":64,
                "num_attention_heads":1})";
        }
        refused(path.string(), c.says);
        std::filesystem::remove(path);
    }

    // A folder without its config, and a manifest without a model layer.
    std::filesystem::remove(dir / "config.json");
    safetensors(dir / "w.safetensors", "{" + tensorJson("a", 0, 4) + "}", 4);
    std::filesystem::create_directories(dir / "ollama/manifests/registry.ollama.ai/library/odd");
    std::ofstream(dir / "ollama/manifests/registry.ollama.ai/library/odd/7b")
        << R"({"layers":[{"mediaType":"application/vnd.ollama.image.license"}]})";
    refused(dir.path().string(), "it has no config.json beside its weights");
    refused("odd:7b", "its manifest names no model layer");
}

TEST(FitVerdict, TheWorkingSetThenTheRangeRuleDecide) {
    // The limit when set, else what the system recommends (both through orvane status in the
    // command line's tests), else nothing.
    EXPECT_EQ(workingSetBytes(std::nullopt, std::nullopt), std::nullopt);

    // The three verdicts, the smallest whole gigabyte that holds the need and what it leaves macOS
    // are walked through orvane fit in the command line's tests; here are the rule's edges: half
    // the memory at least, all but 2 GB at most.
    const std::uint64_t machine = 64 * GiB;
    EXPECT_EQ(judge(11 * GiB, 10 * GiB, 36 * GiB).suggestedGB, 18); // raised to the rule's floor
    const Judgement over = judge(62 * GiB + 1, 48 * GiB, machine);
    EXPECT_EQ(over.verdict, Verdict::doesNotFit);
    EXPECT_EQ(over.mostBytes, 62 * GiB);
    EXPECT_EQ(over.shortByBytes, 1u);
    EXPECT_EQ(judge(62 * GiB, 48 * GiB, machine).suggestedGB, 62);
    // A total that is no whole number of gigabytes: the top is rounded down to one.
    EXPECT_EQ(judge(21 * GiB + 1, 15 * GiB, 25274548224).verdict, Verdict::doesNotFit);
    // Below 8 GB nothing may change: what fits now is all.
    EXPECT_EQ(judge(5 * GiB, 4 * GiB, 7 * GiB).verdict, Verdict::doesNotFit);
    EXPECT_EQ(judge(5 * GiB, 4 * GiB, 7 * GiB).mostBytes, 4 * GiB);
}

} // namespace
} // namespace orvane::fit
