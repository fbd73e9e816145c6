#include "helper/RequestHandler.h"

namespace orvane {

std::optional<wire::Packet> RequestHandler::handle(std::span<const std::uint8_t> packet) {
    const wire::Decoded decoded = wire::decode(packet);
    if (!decoded.message) {
        log_.error("Dropped a client with a malformed request: %{public}s", {decoded.problem});
        return std::nullopt;
    }
    const wire::Message& request = *decoded.message;
    switch (request.operation) {
    case wire::Operation::setWiredLimit:
        return wire::encode({request.operation, service_.setWiredLimit(request.value)});
    case wire::Operation::protocolVersion:
        if (request.value != 0) {
            log_.error("Dropped a client with a malformed request: %{public}s",
                       {"the version query carries a value"});
            return std::nullopt;
        }
        return wire::encode({request.operation, service_.protocolVersion()});
    }
    return std::nullopt;
}

} // namespace orvane
