#pragma once

#import <Foundation/Foundation.h>
#include <string>
#include <string_view>

// Text crossing between the ports (UTF-8 std::string) and Foundation (NSString).
namespace orvane::macos {

inline NSString* toNSString(std::string_view text) {
    NSString* converted = [[NSString alloc] initWithBytes:text.data()
                                                   length:text.size()
                                                 encoding:NSUTF8StringEncoding];
    // Only invalid UTF-8 fails, and our texts come from our own code and the system.
    return converted != nil ? converted : @"";
}

inline std::string toStdString(NSString* text) {
    const char* utf8 = text.UTF8String;
    return utf8 != nullptr ? std::string(utf8) : std::string();
}

// What the user would be told about a failed call, for the log.
inline std::string errorText(NSError* error) {
    return error != nil ? toStdString(error.localizedDescription)
                        : std::string("no error information");
}

} // namespace orvane::macos
