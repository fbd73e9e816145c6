#pragma once

#include <filesystem>

namespace orvane::sim {

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else ~/.config;
// an empty path when the user has no home folder. Read afresh on every call, so that tests can
// point it at a temporary folder.
std::filesystem::path configHome();

} // namespace orvane::sim
