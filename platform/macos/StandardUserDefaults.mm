#include "platform/macos/StandardUserDefaults.h"

#import <Foundation/Foundation.h>
#include <cmath>

#include "platform/macos/Strings.h"
#include "shared/HelperIdentity.h"

namespace orvane::macos {

namespace {

// Every read and every write goes through this one object, to the application's domain. Foundation
// refuses a suite named after the main bundle's own identifier: the application has its domain as
// the standard defaults, any other program of ours (orvane) names it, since its own standard
// defaults are the domain of its own identifier, where the application never looks.
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

std::optional<std::int64_t> StandardUserDefaults::integerValue(std::string_view key) {
    id object = storedObject(key);
    if (![object isKindOfClass:[NSNumber class]] || isBoolean(object)) {
        return std::nullopt;
    }
    if (!CFNumberIsFloatType((__bridge CFNumberRef)object)) {
        return static_cast<std::int64_t>([object longLongValue]);
    }
    // A real number (written by hand with defaults write) counts only when it is whole and fits.
    const double value = [object doubleValue];
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0) ||
        std::trunc(value) != value) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(value);
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

void StandardUserDefaults::setInteger(std::string_view key, std::int64_t value) {
    [applicationDefaults() setObject:@(static_cast<long long>(value)) forKey:toNSString(key)];
}

void StandardUserDefaults::remove(std::string_view key) {
    [applicationDefaults() removeObjectForKey:toNSString(key)];
}

// The preferences store writes on its own schedule; a command-line tool that ends right after a
// change must push it out and hear whether it went through (Apple's advice in NSUserDefaults.h).
std::optional<std::string> StandardUserDefaults::sync() {
    const std::string domain(appBundleIdentifier); // the domain applicationDefaults() writes
    if (CFPreferencesAppSynchronize((__bridge CFStringRef)toNSString(domain))) {
        return std::nullopt;
    }
    return "Orvane could not save its settings (the preferences of " + domain + ").";
}

} // namespace orvane::macos
