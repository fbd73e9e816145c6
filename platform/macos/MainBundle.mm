#include "platform/macos/MainBundle.h"

#import <Foundation/Foundation.h>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <mach-o/dyld.h>
#include <sys/stat.h>
#include <unistd.h>
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

// A launchd list is a few hundred bytes; anything far larger is not one of ours.
constexpr off_t longestPropertyList = 64 * 1024;

// The whole file, when it is a regular file of sane size: never through a link, never blocking on
// a FIFO that someone put in its place.
std::optional<std::string> readRegularFile(NSString* path) {
    const int fd =
        ::open(path.fileSystemRepresentation, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<std::string> text;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= longestPropertyList) {
        std::string bytes;
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
            if (n > 0) {
                bytes.append(buffer, static_cast<std::size_t>(n));
            }
            if (bytes.size() > static_cast<std::size_t>(longestPropertyList)) {
                break; // grown since fstat: not ours either
            }
        }
        if (n == 0) {
            text = std::move(bytes);
        }
    }
    ::close(fd);
    return text;
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

std::filesystem::path MainBundle::applicationExecutable() {
    NSString* path = applicationBundle().executablePath;
    return path != nil ? std::filesystem::path(toStdString(path)) : std::filesystem::path();
}

std::optional<std::string> MainBundle::launchDaemonPropertyList(std::string_view name) {
    NSString* folder = [applicationBundle().bundlePath
        stringByAppendingPathComponent:@"Contents/Library/LaunchDaemons"];
    NSString* file = toNSString(name);
    // A name from our own code, but never one that leaves the folder.
    if (file.length == 0 || ![file.lastPathComponent isEqualToString:file] ||
        [file hasPrefix:@".."]) {
        return std::nullopt;
    }
    return readRegularFile([folder stringByAppendingPathComponent:file]);
}

} // namespace orvane::macos
