#import "platform/macos/daemon/ListenerDelegate.h"

#import "platform/macos/daemon/HelperService.h"
#import "shared/VRAMHelperProtocol.h"

@implementation ListenerDelegate {
    orvane::IdleExit* _idleExit;
    orvane::MainQueue* _mainQueue;
    orvane::HelperService* _service;
}

- (instancetype)initWithIdleExit:(orvane::IdleExit&)idleExit
                       mainQueue:(orvane::MainQueue&)mainQueue
                         service:(orvane::HelperService&)service {
    self = [super init];
    if (self != nil) {
        _idleExit = &idleExit;
        _mainQueue = &mainQueue;
        _service = &service;
    }
    return self;
}

- (BOOL)listener:(NSXPCListener*)listener shouldAcceptNewConnection:(NSXPCConnection*)connection {
    (void)listener;
    connection.exportedInterface =
        [NSXPCInterface interfaceWithProtocol:@protocol(VRAMHelperProtocol)];
    connection.exportedObject = [[HelperService alloc] initWithService:*_service];

    // Plain pointers, so that neither handler holds this delegate or the connection.
    orvane::IdleExit* idleExit = _idleExit;
    orvane::MainQueue* mainQueue = _mainQueue;
    connection.invalidationHandler = ^{
        mainQueue->post([idleExit] { idleExit->connectionClosed(); });
    };
    // Queued before the connection can deliver anything, so a close is never counted before its
    // open.
    mainQueue->post([idleExit] { idleExit->connectionOpened(); });
    [connection resume];
    return YES;
}

@end
