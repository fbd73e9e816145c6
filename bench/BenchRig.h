#pragma once

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/ports/Log.h"
#include "platform/ports/MainQueue.h"

namespace orvane::bench {

// A sim directory of its own under $ORVANE_BENCH_DIR (else /tmp): a 16 GB machine, the limit at 0
// and the helper enabled. Removed with everything in it.
class SimRig {
public:
    SimRig();
    ~SimRig();
    SimRig(const SimRig&) = delete;
    SimRig& operator=(const SimRig&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path socket() const;

private:
    std::filesystem::path path_;
};

// Starts OrvaneHelper by socket activation on the rig's socket, as the application would, with an
// idle period long enough for a whole benchmark. Its pid, or -1.
pid_t startDaemon(const SimRig& rig, const std::filesystem::path& executable);

// What a command run on the rig gets: this process's environment, with the rig as its sim
// directory and a configuration folder of the rig's own.
std::vector<std::string> commandEnvironment(const SimRig& rig);

// Runs the program to its end with stdout on /dev/null and the given environment. False if it
// could not be started or did not end with status 0.
bool runToEnd(const std::vector<std::string>& command, const std::vector<std::string>& environment);

// The whole process's time from spawn to its end, or nothing when it failed.
std::optional<double> secondsToRun(const std::vector<std::string>& command,
                                   const std::vector<std::string>& environment);

// Kills a process started here and collects it.
void stop(pid_t pid);

// Exactly one request and reply over a connected socket: false if anything else happened.
bool exchange(int fd, std::int64_t operation, std::int64_t value, std::int64_t expected);

// The main queue of a benchmark: its thread runs the posted tasks while it waits.
class WaitingQueue final : public MainQueue {
public:
    void post(Task task) override;
    TimerId after(double, Task) override { return 0; }
    TimerId every(double, Task) override { return 0; }
    void cancel(TimerId) override {}

    void runUntil(const std::function<bool()>& done);

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Task> tasks_;
};

class NullLog final : public Log {
public:
    void write(LogLevel, std::string_view, std::string_view) override {}
};

} // namespace orvane::bench
