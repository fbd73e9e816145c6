#pragma once

#include <functional>
#include <string>

#include "platform/sim/UniqueFd.h"
#include "platform/sim/helperlink/HelperSite.h"

namespace orvane::sim {

struct HelperSocket {
    UniqueFd fd;          // connected to a daemon of our own user; empty on failure
    std::string problem;  // why there is no connection, as a sentence
    bool refused = false; // nobody listened, even right after a start: a daemon that just ended
    bool started = false; // this call started the daemon, so its first reply also waits for that
};

// Connects to the helper's socket the way launchd would: only when the daemon is enabled, and
// starting it by socket activation when nobody listens. Concurrent callers, in this process or
// another, start one daemon between them. Every wait (the start lock, connecting) lasts at most
// the site's deadline, and the socket's sends and receives carry the same bound; cancelled is
// asked while waiting for the lock, so that an invalidated connection stops waiting at once.
HelperSocket connectToHelper(const HelperSite& site, const std::function<bool()>& cancelled);

} // namespace orvane::sim
