#pragma once

// The remote interface that OrvaneHelper exports over XPC and the application calls. Both
// deliverables compile this one declaration, so the selectors and their type encodings cannot
// drift apart: "v32@0:8q16@?<v@?i>24" and "v24@0:8@?<v@?q>16".
#ifdef __OBJC__

#import <Foundation/Foundation.h>

@protocol VRAMHelperProtocol

// Writes iogpu.wired_limit_mb (0 = the system default). Replies 0, 22 when the value is refused,
// or the errno of a failed write.
- (void)setWiredLimitWithMegabytes:(int64_t)megabytes withReply:(void (^)(int32_t))reply;

// Replies helperProtocolVersion; the application sends nothing else before it has heard 1.
- (void)protocolVersionWithReply:(void (^)(int64_t))reply;

@end

#endif
