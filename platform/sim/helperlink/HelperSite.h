#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "shared/HelperDeadline.h"

namespace orvane::sim {

// Where the application finds the helper: the sim directory that holds its registration and its
// socket, the executable to start on demand, and what that daemon's environment adds to ours
// ("NAME=value"; the sim directory itself is always passed on), and how long each wait on the
// helper may last.
struct HelperSite {
    std::filesystem::path directory;
    std::filesystem::path helperPath;
    std::vector<std::string> environment;
    double deadlineSeconds = helperDeadlineSeconds;
};

} // namespace orvane::sim
