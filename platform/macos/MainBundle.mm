#include "platform/macos/MainBundle.h"

#import <Foundation/Foundation.h>

#include "platform/macos/Strings.h"

namespace orvane::macos {

std::optional<std::filesystem::path> MainBundle::pathForResource(std::string_view name,
                                                                 std::string_view type) {
    NSString* path = [NSBundle.mainBundle pathForResource:toNSString(name)
                                                   ofType:type.empty() ? nil : toNSString(type)];
    if (path == nil) {
        return std::nullopt;
    }
    return std::filesystem::path(toStdString(path));
}

std::optional<std::string> MainBundle::infoString(std::string_view key) {
    id value = [NSBundle.mainBundle objectForInfoDictionaryKey:toNSString(key)];
    if ([value isKindOfClass:[NSString class]]) {
        return toStdString(value);
    }
    return std::nullopt;
}

} // namespace orvane::macos
