#pragma once

#include <string>

#include "platform/sim/UniqueFd.h"

namespace orvane::sim {

// The listening socket handed over by whoever started the daemon, by the systemd convention:
// fd 3, LISTEN_FDS=1 and LISTEN_PID equal to our pid. The variables are removed from the
// environment either way, so that nothing the daemon might start inherits them.
struct ActivatedListener {
    UniqueFd fd;         // empty when no socket was handed over, or it was not usable
    std::string problem; // why a socket that was announced cannot be used
};

ActivatedListener takeActivatedListener();

} // namespace orvane::sim
