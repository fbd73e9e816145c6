// The command line as a script polls it: the whole process of `orvane status --json`, from exec to
// exit, against the floor any script already has, `cat` of the limit variable's file. Each
// iteration runs the command and then cat in the same sim directory, so both meet the same load
// on the machine; the counter xCat is the command's time over cat's across those iterations. A
// program that only loads Qt Core shows the floor of any program that links it; the application
// given the same command shows what the lean program saves.

#include <benchmark/benchmark.h>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench/BenchRig.h"
#include "platform/sim/SimDirectory.h"

namespace orvane::bench {
namespace {

struct Rig {
    SimRig sim;
    std::vector<std::string> environment = commandEnvironment(sim);

    std::vector<std::string> cat() const {
        return {"cat", (sim.path() / sim::limitFileName).string()};
    }
};

void catVariable(benchmark::State& state) {
    const Rig rig;
    for (auto _ : state) {
        if (!runToEnd(rig.cat(), rig.environment)) {
            state.SkipWithError("cat failed");
            break;
        }
    }
    state.counters["xCat"] = 1.0; // the floor itself; every row of the report has the counter
}
BENCHMARK(catVariable)->Unit(benchmark::kMillisecond)->UseRealTime();

void againstCat(benchmark::State& state, const std::vector<std::string>& command) {
    const Rig rig;
    double commandSeconds = 0.0;
    double catSeconds = 0.0;
    for (auto _ : state) {
        const auto seconds = secondsToRun(command, rig.environment);
        const auto floor = secondsToRun(rig.cat(), rig.environment);
        if (!seconds || !floor) {
            state.SkipWithError("the command or cat failed");
            break;
        }
        state.SetIterationTime(*seconds);
        commandSeconds += *seconds;
        catSeconds += *floor;
    }
    state.counters["xCat"] = catSeconds > 0.0 ? commandSeconds / catSeconds : 0.0;
}

void qtCoreProgram(benchmark::State& state) {
    againstCat(state, {ORVANE_QT_CORE_FLOOR_PATH});
}
BENCHMARK(qtCoreProgram)->Unit(benchmark::kMillisecond)->UseManualTime();

void orvaneStatusJson(benchmark::State& state) {
    againstCat(state, {ORVANE_CLI_PATH, "status", "--json"});
}
BENCHMARK(orvaneStatusJson)->Unit(benchmark::kMillisecond)->UseManualTime();

void applicationStatusJson(benchmark::State& state) {
    againstCat(state, {ORVANE_APP_PATH, "status", "--json"});
}
BENCHMARK(applicationStatusJson)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
} // namespace orvane::bench

BENCHMARK_MAIN();
