#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace orvane::sim {

struct Launch {
    pid_t pid = -1; // the daemon's pid once it has been executed
    int error = 0;  // errno of the step that failed, when pid is -1
};

// Starts the helper daemon the way socket activation does: the listening socket becomes its fd 3,
// announced by LISTEN_FDS=1 and LISTEN_PID. The daemon runs in its own session and is not our
// child, so it outlives the process that started it, as a launchd daemon would. Returns once the
// executable has been started, or with the errno that prevented it (ENOENT: no such executable).
// extraEnvironment entries ("NAME=value") are added to, or replace, our own environment. With a
// log descriptor, the daemon's stderr (its log) goes there, as launchd sends a daemon's output to
// its log rather than to whoever happened to start it; without one, to /dev/null.
Launch launchActivated(const std::filesystem::path& helperPath, int listenerFd,
                       const std::vector<std::string>& extraEnvironment = {}, int logFd = -1);

} // namespace orvane::sim
