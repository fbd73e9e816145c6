#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/types.h>

namespace orvane::bench {

// One "Name:  value" field of /proc/<pid>/status (or of a task's), as a number: kB for memory,
// counts for context switches. -1 when absent.
inline long statusField(const std::filesystem::path& status, const std::string& name) {
    std::ifstream in(status);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(name + ":", 0) == 0) {
            return std::stol(line.substr(name.size() + 1));
        }
    }
    return -1;
}

// Every time any thread of the process went to sleep or was preempted since it started: a
// process that never wakes up adds nothing.
inline long contextSwitches(pid_t pid) {
    long total = 0;
    const auto tasks = std::filesystem::path("/proc") / std::to_string(pid) / "task";
    for (const auto& task : std::filesystem::directory_iterator(tasks)) {
        total += statusField(task.path() / "status", "voluntary_ctxt_switches") +
                 statusField(task.path() / "status", "nonvoluntary_ctxt_switches");
    }
    return total;
}

inline long threadCount(pid_t pid) {
    return statusField(std::filesystem::path("/proc") / std::to_string(pid) / "status", "Threads");
}

inline long residentKilobytes(pid_t pid) {
    return statusField(std::filesystem::path("/proc") / std::to_string(pid) / "status", "VmRSS");
}

} // namespace orvane::bench
