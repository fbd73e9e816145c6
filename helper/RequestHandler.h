#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "helper/HelperService.h"
#include "shared/Logger.h"
#include "shared/WireFormat.h"

namespace orvane {

// Turns one packet received on a connection into its reply. No reply means the packet was bad
// and the connection must be dropped without an answer; the reason has been logged.
class RequestHandler {
public:
    RequestHandler(HelperService& service, Logger helperLog) : service_(service), log_(helperLog) {}

    std::optional<wire::Packet> handle(std::span<const std::uint8_t> packet);

private:
    HelperService& service_;
    Logger log_;
};

} // namespace orvane
