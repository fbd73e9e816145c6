#pragma once

#import <Foundation/Foundation.h>

#include "helper/HelperService.h"
#include "helper/IdleExit.h"
#include "platform/ports/MainQueue.h"

// Accepts every connection that got past the listener's code-signing requirement (the only
// filter), exports a new HelperService on it, and keeps the idle exit informed. Runs on the
// listener's queue; the idle exit is only ever touched on the main queue.
@interface ListenerDelegate : NSObject <NSXPCListenerDelegate>
- (instancetype)initWithIdleExit:(orvane::IdleExit&)idleExit
                       mainQueue:(orvane::MainQueue&)mainQueue
                         service:(orvane::HelperService&)service;
- (instancetype)init NS_UNAVAILABLE;
@end
