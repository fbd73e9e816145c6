#pragma once

#include "platform/ports/HelperTransport.h"
#include "platform/sim/helperlink/HelperSite.h"

namespace orvane::sim {

// The bound on each wait for the helper: helperDeadlineSeconds, or for tests a shorter
// $ORVANE_HELPER_DEADLINE (seconds, above 0 and at most 3600).
double configuredHelperDeadline();

// Connections to OrvaneHelper over the socket in the sim directory; see SimHelperConnection.
class SimHelperTransport final : public HelperTransport {
public:
    // environment: what the daemon, when it has to be started, gets in addition to ours.
    SimHelperTransport(std::filesystem::path directory, std::filesystem::path helperPath,
                       std::vector<std::string> environment = {},
                       double deadlineSeconds = configuredHelperDeadline());

    std::shared_ptr<HelperConnection> connect() override;
    // Each connection bounds its own waits and names the one that ran out.
    bool boundsEveryWait() const override { return true; }

private:
    HelperSite site_;
};

// The daemon's executable: $ORVANE_HELPER_PATH if set, else OrvaneHelper beside our own.
std::filesystem::path defaultHelperPath();

} // namespace orvane::sim
