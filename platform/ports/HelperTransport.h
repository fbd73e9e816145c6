#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orvane {

// One connection to the helper daemon, already created, configured and resumed (NSXPCConnection
// to the privileged Mach service with the daemon's code-signing requirement, on a Mac).
// Replies and errors arrive on the connection's own thread, never on the main thread.
class HelperConnection {
public:
    using ErrorHandler = std::function<void(const std::string& description)>;
    using VersionReply = std::function<void(std::int64_t version)>;
    using StatusReply = std::function<void(std::int32_t status)>;

    virtual ~HelperConnection() = default;

    // Obtains the remote proxy; onError runs for every failure of the connection
    // (remoteObjectProxyWithErrorHandler:). False when the proxy does not speak the protocol.
    virtual bool openProxy(ErrorHandler onError) = 0;

    // For each message, exactly one of its reply or the error handler runs.
    virtual void protocolVersion(VersionReply reply) = 0;
    virtual void setWiredLimit(std::int64_t megabytes, StatusReply reply) = 0;

    // Ends the connection; nothing arrives from it afterwards.
    virtual void invalidate() = 0;
};

class HelperTransport {
public:
    virtual ~HelperTransport() = default;

    virtual std::shared_ptr<HelperConnection> connect() = 0;

    // Whether the connections bound each of their own waits and report one that runs out as an
    // error. When they do not (XPC waits for a silent daemon as long as it lives), the helper
    // manager ends a request that takes longer than the deadline itself.
    virtual bool boundsEveryWait() const { return false; }
};

} // namespace orvane
