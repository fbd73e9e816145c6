#pragma once

#include "platform/ports/HelperTransport.h"
#include "platform/sim/helperlink/HelperSite.h"

namespace orvane::sim {

// Connections to OrvaneHelper over the socket in the sim directory; see SimHelperConnection.
class SimHelperTransport final : public HelperTransport {
public:
    // environment: what the daemon, when it has to be started, gets in addition to ours.
    SimHelperTransport(std::filesystem::path directory, std::filesystem::path helperPath,
                       std::vector<std::string> environment = {});

    std::shared_ptr<HelperConnection> connect() override;

private:
    HelperSite site_;
};

// The daemon's executable: $ORVANE_HELPER_PATH if set, else OrvaneHelper beside our own.
std::filesystem::path defaultHelperPath();

} // namespace orvane::sim
