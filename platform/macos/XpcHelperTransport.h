#pragma once

#include "platform/ports/HelperTransport.h"

namespace orvane::macos {

// Connections to OrvaneHelper's Mach service among the system's privileged launchd daemons, each
// refusing a peer that is not our signed daemon. launchd starts the daemon for the first message.
class XpcHelperTransport final : public HelperTransport {
public:
    std::shared_ptr<HelperConnection> connect() override;
};

} // namespace orvane::macos
