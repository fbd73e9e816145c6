#import "platform/macos/daemon/HelperService.h"

@implementation HelperService {
    orvane::HelperService* _service;
}

- (instancetype)initWithService:(orvane::HelperService&)service {
    self = [super init];
    if (self != nil) {
        _service = &service;
    }
    return self;
}

// Runs on the connection's own queue; the kernel call is synchronous, and the reply goes back
// exactly once on every path.
- (void)setWiredLimitWithMegabytes:(int64_t)megabytes withReply:(void (^)(int32_t))reply {
    const std::int32_t status = _service->setWiredLimit(megabytes);
    if (reply != nil) {
        reply(status);
    }
}

- (void)protocolVersionWithReply:(void (^)(int64_t))reply {
    if (reply != nil) {
        reply(_service->protocolVersion());
    }
}

@end
