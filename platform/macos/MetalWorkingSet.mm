#include "platform/macos/MetalWorkingSet.h"

#import <Metal/Metal.h>

namespace orvane::macos {

std::optional<std::uint64_t> MetalWorkingSet::recommendedBytes() {
    // No entitlement is needed; a machine without a Metal device (a virtual machine without a GPU)
    // gets none, and the answer says the working set is unknown.
    static id<MTLDevice> device = MTLCreateSystemDefaultDevice();
    if (device == nil) {
        return std::nullopt;
    }
    const std::uint64_t bytes = device.recommendedMaxWorkingSetSize;
    if (bytes == 0) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace orvane::macos
