#include "platform/macos/MainBundle.h"

#import <Foundation/Foundation.h>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <mach-o/dyld.h>
#include <vector>

#include "platform/macos/Strings.h"

namespace orvane::macos {

namespace {

// The innermost folder named *.app around this executable, found from its real path: orvane is
// usually started through a symbolic link on the PATH.
NSBundle* enclosingApplication() {
    uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::vector<char> path(size + 1, '\0');
    char resolved[PATH_MAX];
    if (_NSGetExecutablePath(path.data(), &size) != 0 ||
        ::realpath(path.data(), resolved) == nullptr) {
        return nil;
    }
    NSURL* folder = [NSURL fileURLWithPath:toNSString(resolved)].URLByDeletingLastPathComponent;
    while (folder.path.length > 1) {
        if ([folder.pathExtension isEqualToString:@"app"]) {
            return [NSBundle bundleWithURL:folder];
        }
        folder = folder.URLByDeletingLastPathComponent;
    }
    return nil;
}

NSBundle* applicationBundle() {
    static NSBundle* bundle = []() -> NSBundle* {
        NSBundle* application = enclosingApplication();
        return application != nil ? application : NSBundle.mainBundle;
    }();
    return bundle;
}

} // namespace

std::optional<std::filesystem::path> MainBundle::pathForResource(std::string_view name,
                                                                 std::string_view type) {
    NSString* path = [applicationBundle() pathForResource:toNSString(name)
                                                   ofType:type.empty() ? nil : toNSString(type)];
    if (path == nil) {
        return std::nullopt;
    }
    return std::filesystem::path(toStdString(path));
}

std::optional<std::string> MainBundle::infoString(std::string_view key) {
    id value = [applicationBundle() objectForInfoDictionaryKey:toNSString(key)];
    if ([value isKindOfClass:[NSString class]]) {
        return toStdString(value);
    }
    return std::nullopt;
}

} // namespace orvane::macos
