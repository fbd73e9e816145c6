#include "bench/BenchRig.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/sim/HelperLauncher.h"
#include "platform/sim/Seqpacket.h"
#include "platform/sim/SimDirectory.h"
#include "shared/WireFormat.h"

extern char** environ;

namespace orvane::bench {

SimRig::SimRig() {
    const char* parent = std::getenv("ORVANE_BENCH_DIR");
    std::string pattern = std::string(parent && *parent ? parent : "/tmp") + "/orv-bench-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
    std::ofstream(path_ / sim::limitFileName) << "0\n";
    std::ofstream(path_ / sim::memsizeFileName) << "17179869184\n";
    std::ofstream(path_ / sim::statusFileName) << "1\n";
}

SimRig::~SimRig() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path SimRig::socket() const {
    return path_ / sim::socketFileName;
}

std::vector<std::string> commandEnvironment(const SimRig& rig) {
    std::filesystem::create_directory(rig.path() / "config");
    std::vector<std::string> environment = {"ORVANE_SIM_DIR=" + rig.path().string(),
                                            "XDG_CONFIG_HOME=" + (rig.path() / "config").string()};
    for (char** variable = environ; *variable; ++variable) {
        const std::string text = *variable;
        if (!text.starts_with("ORVANE_SIM_DIR=") && !text.starts_with("XDG_CONFIG_HOME=")) {
            environment.push_back(text);
        }
    }
    return environment;
}

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

std::optional<double> secondsToRun(const std::vector<std::string>& command,
                                   const std::vector<std::string>& environment) {
    const auto start = std::chrono::steady_clock::now();
    if (!runToEnd(command, environment)) {
        return std::nullopt;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

pid_t startDaemon(const SimRig& rig, const std::filesystem::path& executable) {
    int error = 0;
    const sim::UniqueFd listener = sim::listenSeqpacket(rig.socket(), &error);
    if (!listener) {
        return -1;
    }
    const sim::UniqueFd log(::open((rig.path() / sim::helperLogFileName).c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600));
    return sim::launchActivated(
               executable, listener.get(),
               {"ORVANE_SIM_DIR=" + rig.path().string(), "ORVANE_HELPER_IDLE_TIMEOUT=3600"},
               log.get())
        .pid;
}

void stop(pid_t pid) {
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

bool exchange(int fd, std::int64_t operation, std::int64_t value, std::int64_t expected) {
    const wire::Packet request = wire::encode({static_cast<wire::Operation>(operation), value});
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != wire::packetSize) {
        return false;
    }
    wire::Packet reply{};
    if (::recv(fd, reply.data(), reply.size(), 0) != wire::packetSize) {
        return false;
    }
    const wire::Decoded decoded = wire::decode(reply);
    return decoded.message && decoded.message->value == expected;
}

void WaitingQueue::post(Task task) {
    {
        const std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    posted_.notify_one();
}

void WaitingQueue::runUntil(const std::function<bool()>& done) {
    while (!done()) {
        std::unique_lock lock(mutex_);
        posted_.wait(lock, [this] { return !tasks_.empty(); });
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
    }
}

} // namespace orvane::bench
