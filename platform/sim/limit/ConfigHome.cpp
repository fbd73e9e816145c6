#include "platform/sim/limit/ConfigHome.h"

#include <cstdlib>

#include "platform/sim/UserFolders.h"

namespace orvane::sim {

std::filesystem::path configHome() {
    // XDG counts a relative value as invalid, to be ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        return xdg;
    }
    const auto home = homeDirectory();
    return home ? *home / ".config" : std::filesystem::path();
}

} // namespace orvane::sim
