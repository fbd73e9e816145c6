// The command line as a script polls it: the whole process of `orvane status --json`, from exec to
// exit, against the floor any script already has, `cat` of the limit variable's file. Each
// iteration runs the command and then cat in the same sim directory, so both meet the same load
// on the machine; the counter xCat is the command's time over cat's across those iterations. A
// program that only loads Qt Core shows the floor of any program that links it; the application
// given the same command shows what the lean program saves.

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench/BenchRig.h"
#include "platform/sim/SimDirectory.h"

extern char** environ;

namespace orvane::bench {
namespace {

// Runs the program to its end with stdout on /dev/null and the given environment. False if it could
// not be started or did not end with status 0.
bool runToEnd(const std::vector<std::string>& command,
              const std::vector<std::string>& environment) {
    std::vector<char*> arguments;
    for (const std::string& argument : command) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    std::vector<char*> variables;
    for (const std::string& variable : environment) {
        variables.push_back(const_cast<char*>(variable.c_str()));
    }
    variables.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    const int error =
        ::posix_spawnp(&child, arguments[0], &actions, nullptr, arguments.data(), variables.data());
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return error == 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

struct Rig {
    SimRig sim;
    std::vector<std::string> environment;

    Rig() {
        std::filesystem::create_directory(sim.path() / "config");
        environment = {"ORVANE_SIM_DIR=" + sim.path().string(),
                       "XDG_CONFIG_HOME=" + (sim.path() / "config").string()};
        for (char** variable = environ; *variable; ++variable) {
            const std::string text = *variable;
            if (!text.starts_with("ORVANE_SIM_DIR=") && !text.starts_with("XDG_CONFIG_HOME=")) {
                environment.push_back(text);
            }
        }
    }

    std::vector<std::string> cat() const {
        return {"cat", (sim.path() / sim::limitFileName).string()};
    }
};

// The whole process's time from spawn to its end, or nothing when it failed.
std::optional<double> secondsToRun(const std::vector<std::string>& command, const Rig& rig) {
    const auto start = std::chrono::steady_clock::now();
    if (!runToEnd(command, rig.environment)) {
        return std::nullopt;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

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
        const auto seconds = secondsToRun(command, rig);
        const auto floor = secondsToRun(rig.cat(), rig);
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
