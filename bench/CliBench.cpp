// The command line as a script polls it: the whole process of `orvane status --json`, from exec to
// exit, against the floor any script already has, `cat` of the limit variable's file. Both run in
// the same sim directory, one after the other, so their ratio holds across machines and loads.
// The application given the same command shows what the lean program saves.

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
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

// Runs the program to its end with stdout on /dev/null, in the rig's sim directory and a settings
// folder of its own. False if it could not be started or did not end with status 0.
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

void measure(benchmark::State& state, const std::vector<std::string>& command) {
    const SimRig rig;
    std::filesystem::create_directory(rig.path() / "config");
    std::vector<std::string> environment{"ORVANE_SIM_DIR=" + rig.path().string(),
                                         "XDG_CONFIG_HOME=" + (rig.path() / "config").string()};
    for (char** variable = environ; *variable; ++variable) {
        const std::string text = *variable;
        if (!text.starts_with("ORVANE_SIM_DIR=") && !text.starts_with("XDG_CONFIG_HOME=")) {
            environment.push_back(text);
        }
    }
    std::vector<std::string> resolved;
    for (const std::string& argument : command) {
        resolved.push_back(argument == "{limit}" ? (rig.path() / sim::limitFileName).string()
                                                 : argument);
    }
    for (auto _ : state) {
        if (!runToEnd(resolved, environment)) {
            state.SkipWithError("the command failed");
            break;
        }
    }
}

void catVariable(benchmark::State& state) {
    measure(state, {"cat", "{limit}"});
}
BENCHMARK(catVariable)->Unit(benchmark::kMillisecond)->UseRealTime();

void orvaneStatusJson(benchmark::State& state) {
    measure(state, {ORVANE_CLI_PATH, "status", "--json"});
}
BENCHMARK(orvaneStatusJson)->Unit(benchmark::kMillisecond)->UseRealTime();

void applicationStatusJson(benchmark::State& state) {
    measure(state, {ORVANE_APP_PATH, "status", "--json"});
}
BENCHMARK(applicationStatusJson)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace orvane::bench

BENCHMARK_MAIN();
