// OrvaneHelper on a Mac: the privileged helper that launchd starts, as root, when the application
// first connects to its Mach service. It ends itself after 10 seconds without a connection.

#import <Foundation/Foundation.h>
#include <cstdlib>

#include "helper/HelperService.h"
#include "helper/IdleExit.h"
#include "platform/macos/OsLog.h"
#include "platform/macos/ProcessInfoMemory.h"
#include "platform/macos/Strings.h"
#include "platform/macos/SysctlKernelLimit.h"
#include "platform/macos/daemon/DispatchMainQueue.h"
#import "platform/macos/daemon/ListenerDelegate.h"
#include "shared/HelperIdentity.h"
#include "shared/Logger.h"

int main() {
    // Everything lives on main's stack for the life of the process: dispatch_main() never
    // returns, and exit() leaves these alone while connection queues may still be running.
    orvane::macos::OsLog systemLog;
    const orvane::Logger helperLog(systemLog, "helper");
    const double idleTimeout = orvane::IdleExit::defaultIdleTimeout;
    orvane::macos::DispatchMainQueue mainQueue;
    orvane::IdleExit idleExit(
        mainQueue, [](int status) { std::exit(status); }, idleTimeout);
    orvane::macos::SysctlKernelLimit kernel;
    orvane::macos::ProcessInfoMemory memory;
    orvane::HelperService service(kernel, memory, helperLog);

    // The listener holds its delegate weakly; precise lifetime keeps both until the end of this
    // scope, which dispatch_main() never reaches.
    NS_VALID_UNTIL_END_OF_SCOPE ListenerDelegate* delegate = nil;
    NS_VALID_UNTIL_END_OF_SCOPE NSXPCListener* listener = nil;
    @autoreleasepool {
        delegate = [[ListenerDelegate alloc] initWithIdleExit:idleExit
                                                    mainQueue:mainQueue
                                                      service:service];
        listener = [[NSXPCListener alloc]
            initWithMachServiceName:orvane::macos::toNSString(orvane::helperMachServiceName)];
        [listener setConnectionCodeSigningRequirement:orvane::macos::toNSString(
                                                          orvane::helperClientRequirement())];
        listener.delegate = delegate;
        [listener resume];
    }

    idleExit.scheduleExit();
    dispatch_main();
}
