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
    uint32_t size = PATH_MAX;
    std::vector<char> path(size, '\0');
    if (_NSGetExecutablePath(path.data(), &size) != 0) {
        path.assign(size, '\0'); // size now holds the length it needs
        if (_NSGetExecutablePath(path.data(), &size) != 0) {
            return nil;
        }
    }
    char resolved[PATH_MAX];
    if (::realpath(path.data(), resolved) == nullptr) {
        return nil;
    }
    // Each step is shorter, and "/" is its own parent: the walk ends there.
    for (NSString* folder = toNSString(resolved).stringByDeletingLastPathComponent;
         folder.length > 1; folder = folder.stringByDeletingLastPathComponent) {
        if ([folder.pathExtension isEqualToString:@"app"]) {
            return [NSBundle bundleWithPath:folder];
        }
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

// A quarantined app opened from Downloads answers with its translocated copy's path, as it must:
// that copy is what would be registered.
std::filesystem::path MainBundle::bundlePath() {
    NSString* path = applicationBundle().bundlePath;
    return path != nil ? std::filesystem::path(toStdString(path)) : std::filesystem::path();
}

} // namespace orvane::macos
