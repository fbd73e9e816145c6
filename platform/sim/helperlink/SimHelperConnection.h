#pragma once

#include <functional>
#include <memory>

#include "platform/ports/HelperTransport.h"
#include "platform/sim/helperlink/HelperSite.h"
#include "shared/WireFormat.h"

namespace orvane::sim {

// One connection to OrvaneHelper over the stand-in socket. The first message connects (starting
// the daemon if need be); each message then waits for its reply, at most the site's deadline. A
// worker thread of its own does the blocking work and delivers every reply and error, so nothing
// arrives on the caller's thread. invalidate() may be called from any thread: it unblocks the
// worker, drops the handlers and, once it returns, nothing more is delivered.
class SimHelperConnection final : public HelperConnection {
public:
    explicit SimHelperConnection(HelperSite site);
    ~SimHelperConnection() override;
    SimHelperConnection(const SimHelperConnection&) = delete;
    SimHelperConnection& operator=(const SimHelperConnection&) = delete;

    bool openProxy(ErrorHandler onError) override;
    void protocolVersion(VersionReply reply) override;
    void setWiredLimit(std::int64_t megabytes, StatusReply reply) override;
    void invalidate() override;

    // A message waiting for the worker, with what receives its reply.
    struct Pending {
        wire::Message request;
        std::function<void(std::int64_t)> reply;
    };
    struct Shared;

private:
    void enqueue(Pending pending);

    std::shared_ptr<Shared> shared_;
};

} // namespace orvane::sim
