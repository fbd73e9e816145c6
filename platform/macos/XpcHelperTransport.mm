#include "platform/macos/XpcHelperTransport.h"

#import <Foundation/Foundation.h>
#include <mutex>

#include "platform/macos/Strings.h"
#include "shared/HelperIdentity.h"
#import "shared/VRAMHelperProtocol.h"

namespace orvane::macos {

namespace {

// What a connection shares with the blocks it hands to XPC. A reply or error is delivered under
// the lock and only while the connection is live, so once invalidate() has returned nothing more
// reaches the caller, even from a block that XPC was already running. Recursive, because a reply
// handler may send the next message, or invalidate, from inside a delivery.
struct Gate {
    std::recursive_mutex mutex;
    bool open = true;

    template <typename Deliver>
    void pass(Deliver&& deliver) {
        const std::lock_guard lock(mutex);
        if (open) {
            deliver();
        }
    }
};

class XpcHelperConnection final : public HelperConnection {
public:
    explicit XpcHelperConnection(NSXPCConnection* connection) : connection_(connection) {}

    // XPC requires a connection to be invalidated before its last reference goes.
    ~XpcHelperConnection() override { invalidate(); }

    XpcHelperConnection(const XpcHelperConnection&) = delete;
    XpcHelperConnection& operator=(const XpcHelperConnection&) = delete;

    bool openProxy(ErrorHandler onError) override {
        const std::shared_ptr<Gate> gate = gate_;
        NSXPCConnection* connection = nil;
        {
            const std::lock_guard lock(gate_->mutex);
            connection = connection_;
        }
        id proxy = [connection remoteObjectProxyWithErrorHandler:^(NSError* error) {
            const std::string description = errorText(error);
            gate->pass([&] { onError(description); });
        }];
        if (![proxy conformsToProtocol:@protocol(VRAMHelperProtocol)]) {
            return false;
        }
        const std::lock_guard lock(gate_->mutex);
        if (!gate_->open) {
            return false;
        }
        proxy_ = proxy;
        return true;
    }

    void protocolVersion(VersionReply reply) override {
        const std::shared_ptr<Gate> gate = gate_;
        [proxy() protocolVersionWithReply:^(int64_t version) {
            gate->pass([&] { reply(version); });
        }];
    }

    void setWiredLimit(std::int64_t megabytes, StatusReply reply) override {
        const std::shared_ptr<Gate> gate = gate_;
        [proxy() setWiredLimitWithMegabytes:megabytes
                                  withReply:^(int32_t status) {
                                      gate->pass([&] { reply(status); });
                                  }];
    }

    void invalidate() override {
        NSXPCConnection* connection = nil;
        {
            const std::lock_guard lock(gate_->mutex);
            gate_->open = false;
            connection = connection_;
            connection_ = nil;
            proxy_ = nil;
        }
        // Outside the lock: XPC runs the error handlers of unanswered messages on its own queue,
        // and they wait for the lock only to find the gate closed.
        [connection invalidate];
    }

private:
    id<VRAMHelperProtocol> proxy() {
        const std::lock_guard lock(gate_->mutex);
        return proxy_;
    }

    std::shared_ptr<Gate> gate_ = std::make_shared<Gate>();
    NSXPCConnection* connection_;
    id<VRAMHelperProtocol> proxy_ = nil;
};

} // namespace

std::shared_ptr<HelperConnection> XpcHelperTransport::connect() {
    NSXPCConnection* connection =
        [[NSXPCConnection alloc] initWithMachServiceName:toNSString(helperMachServiceName)
                                                 options:NSXPCConnectionPrivileged];
    connection.remoteObjectInterface =
        [NSXPCInterface interfaceWithProtocol:@protocol(VRAMHelperProtocol)];
    [connection setCodeSigningRequirement:toNSString(appHelperRequirement())];
    [connection resume];
    return std::make_shared<XpcHelperConnection>(connection);
}

} // namespace orvane::macos
