#pragma once

#import <Foundation/Foundation.h>

#include "helper/HelperService.h"
#import "shared/VRAMHelperProtocol.h"

// The object exported on each accepted connection. It holds no state of its own: every request
// goes to the daemon's portable service, which checks and writes the limit.
@interface HelperService : NSObject <VRAMHelperProtocol>
- (instancetype)initWithService:(orvane::HelperService&)service;
- (instancetype)init NS_UNAVAILABLE;
@end
