#include "platform/macos/AcceleratorMemoryStats.h"

#include <CoreFoundation/CoreFoundation.h>
#include <IOKit/IOKitLib.h>

namespace orvane::macos {

namespace {

// Owns one Core Foundation reference from a Create or Copy call.
class CfReference {
public:
    explicit CfReference(CFTypeRef object) : object_(object) {}
    ~CfReference() {
        if (object_) {
            CFRelease(object_);
        }
    }
    CfReference(const CfReference&) = delete;
    CfReference& operator=(const CfReference&) = delete;

    CFTypeRef get() const { return object_; }

private:
    CFTypeRef object_;
};

// Owns one I/O Kit object handle.
class IoObject {
public:
    explicit IoObject(io_object_t object) : object_(object) {}
    ~IoObject() {
        if (object_ != IO_OBJECT_NULL) {
            IOObjectRelease(object_);
        }
    }
    IoObject(const IoObject&) = delete;
    IoObject& operator=(const IoObject&) = delete;

    io_object_t get() const { return object_; }

private:
    io_object_t object_;
};

// A byte count: a number that converts to a 64-bit integer without loss and is not negative.
std::optional<std::uint64_t> byteCount(CFDictionaryRef statistics, CFStringRef key) {
    const CFTypeRef value = CFDictionaryGetValue(statistics, key);
    if (!value || CFGetTypeID(value) != CFNumberGetTypeID()) {
        return std::nullopt;
    }
    SInt64 count = 0;
    if (!CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt64Type, &count) ||
        count < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(count);
}

} // namespace

GpuMemoryStats::Reading AcceleratorMemoryStats::read() {
    // IOServiceGetMatchingService consumes the matching dictionary, whatever it finds.
    const CFMutableDictionaryRef matching = IOServiceMatching("IOAccelerator");
    if (!matching) {
        return {};
    }
    const IoObject service(IOServiceGetMatchingService(kIOMainPortDefault, matching));
    if (service.get() == IO_OBJECT_NULL) {
        return {};
    }
    const CfReference property(IORegistryEntryCreateCFProperty(
        service.get(), CFSTR("PerformanceStatistics"), kCFAllocatorDefault, 0));
    if (!property.get() || CFGetTypeID(property.get()) != CFDictionaryGetTypeID()) {
        return {};
    }
    const auto statistics = static_cast<CFDictionaryRef>(property.get());
    return {byteCount(statistics, CFSTR("In use system memory")),
            byteCount(statistics, CFSTR("Alloc system memory"))};
}

} // namespace orvane::macos
