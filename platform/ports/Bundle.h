#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The application's bundle: its resource files, its information values (NSBundle mainBundle) and
// what else the application finds in it.
class Bundle {
public:
    virtual ~Bundle() = default;

    // The path of resource name.type, when the bundle has it.
    virtual std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                                 std::string_view type) = 0;

    // An information value that is a string, such as "CFBundleShortVersionString".
    virtual std::optional<std::string> infoString(std::string_view key) = 0;

    // Where the bundle lies (NSBundle bundlePath): whether it was installed decides whether the
    // helper may be registered from it. Empty when unknown.
    virtual std::filesystem::path bundlePath() = 0;

    // The application's own executable (Contents/MacOS/Orvane), also for another program of ours
    // in the bundle: the one program the system's service management answers. Empty when unknown.
    virtual std::filesystem::path applicationExecutable() = 0;

    // The text of the daemon's launchd property list as the bundle carries it
    // (Contents/Library/LaunchDaemons/name), or nothing when it cannot be read.
    virtual std::optional<std::string> launchDaemonPropertyList(std::string_view name) = 0;
};

} // namespace orvane
