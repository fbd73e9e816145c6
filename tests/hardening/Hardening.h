#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <thread>

#include "tests/support/DaemonHarness.h"

namespace orvane::test {

// A shell script that prepares the process and then becomes the daemon: exec keeps the pid that
// socket activation announced. prelude runs first ("ulimit -f 0"); runner goes before the
// daemon's path on the exec line ("valgrind -q").
inline std::filesystem::path daemonWrapper(const TempDir& folder, const std::string& prelude,
                                           const std::string& runner = "") {
    const std::string name = "OrvaneHelperWrapper";
    folder.write(name,
                 "#!/bin/sh\n" + prelude + "\nexec " + runner + " '" ORVANE_HELPER_PATH "'\n");
    std::filesystem::permissions(folder / name, std::filesystem::perms::owner_all);
    return folder / name;
}

// Polls until done() holds, for at most the timeout.
inline bool eventually(const std::function<bool()>& done,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Raises our soft descriptor limit (which daemons started from here inherit) to at least
// needed, as far as the hard limit allows. False when the hard limit is too low.
inline bool raiseDescriptorLimit(rlim_t needed) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return false;
    }
    if (limit.rlim_cur >= needed) {
        return true;
    }
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < needed) {
        return false;
    }
    limit.rlim_cur = needed;
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

} // namespace orvane::test
