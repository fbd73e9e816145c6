// `orvane fit` on a 40 GB GGUF file against `orvane status`, each a whole process from exec to
// exit, run by turns in the same sim directory; the counter xStatus is fit's time over status's
// across those iterations. The file is Llama 3.1 70B's at Q4_K as llama.cpp's converter lays it
// out: 723 tensors, a vocabulary of 128,256 tokens with their types, 280,147 merges; its data is
// a hole, so it costs nothing on disk, and only its header is ever read.

#include <benchmark/benchmark.h>
#include <fstream>
#include <optional>

#include "bench/BenchRig.h"
#include "platform/sim/SimDirectory.h"
#include "tests/support/GgufWriter.h"

namespace orvane::bench {
namespace {

using test::GgufWriter;

void writeSeventyBillion(const std::filesystem::path& path) {
    constexpr std::uint64_t embedding = 8192;
    constexpr std::uint64_t feedForward = 28672;
    constexpr std::uint64_t vocabulary = 128256;
    const auto q4k = [](std::uint64_t rows, std::uint64_t columns) {
        return rows / 256 * 144 * columns;
    };
    GgufWriter gguf;
    gguf.string("general.architecture", "llama")
        .string("general.name", "Meta Llama 3.1 70B Instruct")
        .uint32("llama.block_count", 80)
        .uint32("llama.context_length", 131072)
        .uint32("llama.embedding_length", embedding)
        .uint32("llama.feed_forward_length", feedForward)
        .uint32("llama.attention.head_count", 64)
        .uint32("llama.attention.head_count_kv", 8)
        .float32("llama.rope.freq_base", 500000.0f)
        .float32("llama.attention.layer_norm_rms_epsilon", 1e-5f)
        .uint32("llama.rope.dimension_count", 128)
        .uint32("general.file_type", 15)
        .string("tokenizer.ggml.model", "gpt2")
        .string("tokenizer.ggml.pre", "llama-bpe")
        .strings("tokenizer.ggml.tokens", vocabulary,
                 [](std::uint64_t i) { return "\u0120tok" + std::to_string(i); })
        .int32s("tokenizer.ggml.token_type", std::vector<std::int32_t>(vocabulary, 1))
        .strings("tokenizer.ggml.merges", 280147,
                 [](std::uint64_t i) {
                     return "\u0120t" + std::to_string(i % 977) + " e" + std::to_string(i);
                 })
        .uint32("tokenizer.ggml.bos_token_id", 128000)
        .uint32("tokenizer.ggml.eos_token_id", 128009)
        .string("tokenizer.chat_template", std::string(4096, 'x'));
    gguf.tensor("token_embd.weight", {embedding, vocabulary}, GgufWriter::Q4_K,
                q4k(embedding, vocabulary));
    for (int layer = 0; layer < 80; ++layer) {
        const std::string block = "blk." + std::to_string(layer) + ".";
        gguf.tensor(block + "attn_norm.weight", {embedding}, GgufWriter::F32, embedding * 4)
            .tensor(block + "attn_q.weight", {embedding, embedding}, GgufWriter::Q4_K,
                    q4k(embedding, embedding))
            .tensor(block + "attn_k.weight", {embedding, 1024}, GgufWriter::Q4_K,
                    q4k(embedding, 1024))
            .tensor(block + "attn_v.weight", {embedding, 1024}, GgufWriter::Q6_K,
                    embedding / 256 * 210 * 1024)
            .tensor(block + "attn_output.weight", {embedding, embedding}, GgufWriter::Q4_K,
                    q4k(embedding, embedding))
            .tensor(block + "ffn_norm.weight", {embedding}, GgufWriter::F32, embedding * 4)
            .tensor(block + "ffn_gate.weight", {embedding, feedForward}, GgufWriter::Q4_K,
                    q4k(embedding, feedForward))
            .tensor(block + "ffn_up.weight", {embedding, feedForward}, GgufWriter::Q4_K,
                    q4k(embedding, feedForward))
            .tensor(block + "ffn_down.weight", {feedForward, embedding}, GgufWriter::Q6_K,
                    feedForward / 256 * 210 * embedding);
    }
    gguf.tensor("output_norm.weight", {embedding}, GgufWriter::F32, embedding * 4)
        .tensor("output.weight", {embedding, vocabulary}, GgufWriter::Q6_K,
                embedding / 256 * 210 * vocabulary);
    gguf.write(path);
}

void orvaneFit40GB(benchmark::State& state) {
    const SimRig rig;
    // A 128 GB machine, so that the model fits and fit ends with 0, as status does.
    std::ofstream(rig.path() / sim::memsizeFileName) << (std::uint64_t{128} << 30) << "\n";
    const std::filesystem::path model = rig.path() / "llama-3.1-70b-instruct-q4_k_m.gguf";
    writeSeventyBillion(model);
    state.counters["fileGB"] =
        static_cast<double>(std::filesystem::file_size(model)) / static_cast<double>(1ULL << 30);
    const std::vector<std::string> environment = commandEnvironment(rig);
    const std::vector<std::string> fit = {ORVANE_CLI_PATH, "fit", model.string()};
    const std::vector<std::string> status = {ORVANE_CLI_PATH, "status"};
    double fitSeconds = 0.0;
    double statusSeconds = 0.0;
    for (auto _ : state) {
        const auto fitTime = secondsToRun(fit, environment);
        const auto statusTime = secondsToRun(status, environment);
        if (!fitTime || !statusTime) {
            state.SkipWithError("fit or status failed");
            break;
        }
        state.SetIterationTime(*fitTime);
        fitSeconds += *fitTime;
        statusSeconds += *statusTime;
    }
    state.counters["xStatus"] = statusSeconds > 0.0 ? fitSeconds / statusSeconds : 0.0;
}
// A fixed count: the library judges iterations by the parent's own time, which is nothing here.
BENCHMARK(orvaneFit40GB)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

} // namespace
} // namespace orvane::bench

BENCHMARK_MAIN();
