#include "platform/sim/limit/ConfigHome.h"

#include <cstdlib>

namespace orvane::sim {

std::filesystem::path configHome() {
    // The base directory specification says a relative value is invalid and must be ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".config";
}

} // namespace orvane::sim
