#include "platform/macos/StandardUserDefaults.h"

#import <Foundation/Foundation.h>

#include "platform/macos/Strings.h"
#include "shared/HelperIdentity.h"

namespace orvane::macos {

namespace {

// Foundation refuses a suite named after the main bundle's own identifier: the application has
// its domain as the standard defaults, any other program of ours names it.
NSUserDefaults* applicationDefaults() {
    static NSUserDefaults* defaults = []() -> NSUserDefaults* {
        NSString* domain = toNSString(appBundleIdentifier);
        if (![NSBundle.mainBundle.bundleIdentifier isEqualToString:domain]) {
            NSUserDefaults* suite = [[NSUserDefaults alloc] initWithSuiteName:domain];
            if (suite != nil) {
                return suite;
            }
        }
        return NSUserDefaults.standardUserDefaults;
    }();
    return defaults;
}

id storedObject(std::string_view key) {
    return [applicationDefaults() objectForKey:toNSString(key)];
}

// A boolean is a number to Foundation too; it is not a size in gigabytes.
bool isBoolean(id object) {
    return CFGetTypeID((__bridge CFTypeRef)object) == CFBooleanGetTypeID();
}

} // namespace

std::optional<double> StandardUserDefaults::doubleValue(std::string_view key) {
    id object = storedObject(key);
    if ([object isKindOfClass:[NSNumber class]] && !isBoolean(object)) {
        return [object doubleValue];
    }
    return std::nullopt;
}

std::optional<bool> StandardUserDefaults::boolValue(std::string_view key) {
    id object = storedObject(key);
    if ([object isKindOfClass:[NSNumber class]]) {
        return [object boolValue] == YES;
    }
    return std::nullopt;
}

std::optional<std::string> StandardUserDefaults::stringValue(std::string_view key) {
    id object = storedObject(key);
    if ([object isKindOfClass:[NSString class]]) {
        return toStdString(object);
    }
    return std::nullopt;
}

void StandardUserDefaults::setDouble(std::string_view key, double value) {
    [applicationDefaults() setDouble:value forKey:toNSString(key)];
}

void StandardUserDefaults::setBool(std::string_view key, bool value) {
    [applicationDefaults() setBool:value ? YES : NO forKey:toNSString(key)];
}

void StandardUserDefaults::setString(std::string_view key, std::string_view value) {
    [applicationDefaults() setObject:toNSString(value) forKey:toNSString(key)];
}

} // namespace orvane::macos
