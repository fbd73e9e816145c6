#include "platform/macos/ProcessInfoMemory.h"

#import <Foundation/Foundation.h>

namespace orvane::macos {

std::uint64_t ProcessInfoMemory::bytes() {
    return NSProcessInfo.processInfo.physicalMemory;
}

} // namespace orvane::macos
