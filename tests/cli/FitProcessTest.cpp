// "orvane fit" as scripts run it: models written here, a temporary sim directory as the machine,
// each verdict and --set through the stand-in's roads. The working set they are held against is
// two thirds of the memory up to 32 GB and three quarters above, or the limit once one is set.

#include "tests/cli/CliHarness.h"
#include "tests/support/GgufWriter.h"

namespace orvane::test {
namespace {

using ::testing::HasSubstr;

constexpr std::uint64_t GiB = std::uint64_t{1} << 30;

class FitCliTest : public CliTest {
protected:
    FitCliTest() {
        extraEnvironment.insert("OLLAMA_MODELS", QString::fromStdString((dir / "ollama").string()));
        // 20 GiB of weights; with 8192 tokens of cache, the compute buffers and the overhead the
        // model needs 22.06 GiB.
        GgufWriter()
            .string("general.architecture", "llama")
            .uint32("llama.block_count", 32)
            .uint32("llama.embedding_length", 4096)
            .uint32("llama.attention.head_count", 32)
            .uint32("llama.attention.head_count_kv", 8)
            .tensor("blk.0.ffn_up.weight", {1024, 5 << 20}, GgufWriter::F32, 20 * GiB)
            .write(dir / "model.gguf");
    }

    void machine(std::uint64_t gigabytes) {
        dir.write("hw.memsize", std::to_string(gigabytes * GiB) + "\n");
    }

    QString model() const { return QString::fromStdString((dir / "model.gguf").string()); }
};

TEST_F(FitCliTest, EachVerdictForEachKindOfModelAndSetThroughTheHelperOrThePassword) {
    machine(64); // the system lets the GPU use three quarters: 48 GB
    const Outcome fits = expect({"fit", model()}, 0);
    EXPECT_EQ(fits.out, "Model: " + model().toStdString() +
                            " (GGUF: llama, 32 layers)\n"
                            "Context: 8192 tokens (the default)\n"
                            "  Weights            20.0 GB\n"
                            "  KV cache (f16)      1.0 GB\n"
                            "  Compute buffers     0.5 GB\n"
                            "  Overhead            0.5 GB\n"
                            "  Total              22.1 GB\n"
                            "Fits: needs 22.1 GB of the 48 GB the GPU may use.\n");
    // A model by its Ollama name, or weights by their size alone; what is refused prints nothing
    // on stdout and changes nothing.
    const std::string digest(64, 'c');
    std::filesystem::create_directories(dir / "ollama/manifests/registry.ollama.ai/library/tiny");
    std::filesystem::create_directories(dir / "ollama/blobs");
    dir.write("ollama/manifests/registry.ollama.ai/library/tiny/latest",
              R"({"layers":[{"mediaType":"application/vnd.ollama.image.model","digest":"sha256:)" +
                  digest + R"("}]})");
    std::filesystem::create_hard_link(dir / "model.gguf", dir / ("ollama/blobs/sha256-" + digest));
    EXPECT_THAT(expect({"fit", "tiny"}, 0).out,
                HasSubstr("Model: tiny (Ollama: tiny:latest, llama, 32 layers)"));
    EXPECT_EQ(json({"fit", "tiny", "--json"}, 0)["source"].toString(), "ollama");

    EXPECT_THAT(expect({"fit", "40GB"}, 0).out,
                HasSubstr("Model: 40 GB of weights (a plain size: no context)\n  Weights      "
                          "      40.0 GB\n  Overhead            0.5 GB\n  Total              "
                          "40.5 GB\n"));
    EXPECT_EQ(json({"fit", "61440MB", "--json"}, 1)["source"].toString(), "size");

    dir.write("broken.gguf", std::string("GGUF\1\0\0\0", 8) + std::string(16, '\0'));
    const std::pair<QStringList, std::string> refused[] = {
        {{"fit", QString::fromStdString((dir / "broken.gguf").string())},
         "broken.gguf: GGUF version 1 is not supported (only versions 2 and 3 are).\n"},
        {{"fit", "nothing-here"}, "No model 'nothing-here': it is not a file, a folder, an Ollama"},
        {{"fit", model(), "--context", "0"}, "'0' is not a context."},
        {{"fit", model(), "--kv-type", "q5_1"}, "'q5_1' is not a KV cache type."},
        {{"fit", "40GB", "--context", "4096"}, "A plain size is weights alone"},
        {{"fit"}, "'fit' takes exactly one argument."},
    };
    for (const auto& [arguments, says] : refused) {
        const Outcome run = expect(arguments, 2, says);
        EXPECT_EQ(run.out, "") << arguments.join(' ').toStdString();
    }
    EXPECT_EQ(dir.limit(), "0\n");

    machine(32); // two thirds: 21.3 GB
    EXPECT_THAT(expect({"fit", model()}, 1).out,
                HasSubstr("Fits after a change: needs 22.1 GB, and the GPU may use 21.3 GB now. A "
                          "limit of 23 GB holds it and leaves macOS 9 GB: run 'orvane set 23', or "
                          "this again with --set."));
    EXPECT_EQ(expect({"fit", model(), "--json"}, 1).out,
              R"({"computeMB":560,"contextTokens":8192,"fits":false,"kvCacheMB":1024,)"
              R"("kvType":"f16","overheadMB":512,"source":"gguf","suggestedLimitGB":23,)"
              R"("totalMB":22576,"weightsMB":20480,"workingSetMB":21845})"
              "\n");

    // --set takes the roads "set" takes: the password without the helper, then the helper.
    expect({"fit", model(), "--set", "--no-password"}, 3, "forbids asking for the password");
    EXPECT_EQ(dir.limit(), "0\n");
    EXPECT_THAT(expect({"fit", model(), "--set"}, 0, "", "secret\n").out,
                HasSubstr("The GPU memory limit is now 23 GB: the model fits."));
    EXPECT_EQ(dir.limit(), "23552\n");
    EXPECT_THAT(expect({"fit", model()}, 0).out,
                HasSubstr("Fits: needs 22.1 GB of the 23 GB the GPU may use."));
    dir.write("iogpu.wired_limit_mb", "0\n");
    allowHelper();
    const Outcome quiet = expect({"fit", model(), "--set", "--no-password", "--json"}, 0,
                                 "The GPU memory limit is now 23 GB: the model fits.");
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(quiet.out))["suggestedLimitGB"],
              23);
    EXPECT_EQ(dir.limit(), "23552\n");

    // With less memory nothing the rule allows holds it: exit 5, and nothing changes.
    dir.write("iogpu.wired_limit_mb", "0\n");
    machine(24);
    EXPECT_THAT(expect({"fit", model(), "--set"}, 5).out,
                HasSubstr("Does not fit on this Mac: needs 22.1 GB, 0.1 GB more than the 22 GB "
                          "the GPU may be given at most."));
    EXPECT_EQ(dir.limit(), "0\n");
    EXPECT_TRUE(json({"fit", model(), "--json"}, 5)["suggestedLimitGB"].isNull());
    // A smaller context or a quantized cache can bring it back within reach.
    EXPECT_THAT(expect({"fit", model(), "--context", "2048", "--kv-type", "q4_0"}, 1).out,
                HasSubstr("Context: 2048 tokens (as asked)\n  Weights            20.0 GB\n  KV "
                          "cache (q4_0)     0.1 GB"));
}

} // namespace
} // namespace orvane::test
