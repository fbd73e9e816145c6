#pragma once

#include <string>

#include "platform/sim/UniqueFd.h"
#include "platform/sim/helperlink/HelperSite.h"

namespace orvane::sim {

struct HelperSocket {
    UniqueFd fd;         // connected to a daemon of our own user; empty on failure
    std::string problem; // why there is no connection, as a sentence
};

// Connects to the helper's socket the way launchd would: only when the daemon is enabled, and
// starting it by socket activation when nobody listens. Concurrent callers, in this process or
// another, start one daemon between them.
HelperSocket connectToHelper(const HelperSite& site);

} // namespace orvane::sim
