#include "platform/sim/limit/ConfigHome.h"

#include <cstdlib>

namespace orvane::sim {

std::filesystem::path configHome() {
    // XDG counts a relative value as invalid, to be ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".config";
}

} // namespace orvane::sim
