#include "platform/macos/AppleScriptRunner.h"

#import <Foundation/Foundation.h>

#include "platform/macos/Strings.h"

namespace orvane::macos {

namespace {

AdminRunner::ScriptError readError(NSDictionary* info) {
    AdminRunner::ScriptError error;
    id number = info[NSAppleScriptErrorNumber];
    if ([number isKindOfClass:[NSNumber class]]) {
        error.number = static_cast<long>([number longValue]);
    }
    // Only a string is a message the user may read; anything else leaves the model's own text.
    id message = info[NSAppleScriptErrorMessage];
    if ([message isKindOfClass:[NSString class]]) {
        error.message = toStdString(message);
    }
    error.description = toStdString(info.description);
    return error;
}

} // namespace

AdminRunner::Outcome AppleScriptRunner::run(const std::string& source) {
    @autoreleasepool {
        NSAppleScript* script = [[NSAppleScript alloc] initWithSource:toNSString(source)];
        NSDictionary* errorInfo = nil;
        // initWithSource: only keeps the text; compiling first tells a script that cannot be made
        // from one that failed when run, which executing alone would report alike.
        if (script == nil || ![script compileAndReturnError:&errorInfo]) {
            return {.compiled = false, .error = std::nullopt};
        }
        // The result descriptor carries nothing we need; success is the absence of error info.
        [script executeAndReturnError:&errorInfo];
        if (errorInfo == nil) {
            return {};
        }
        return {.compiled = true, .error = readError(errorInfo)};
    }
}

} // namespace orvane::macos
