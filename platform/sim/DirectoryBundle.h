#pragma once

#include <functional>
#include <map>

#include "platform/ports/Bundle.h"

namespace orvane::sim {

// The sizes of AppIcon_<size>.png that the build renders into the resources (app/CMakeLists.txt).
inline constexpr int appIconSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};

// Where the stand-in's Orvane.app lies when its sim directory does not say otherwise.
inline constexpr const char* installedBundlePath = "/Applications/Orvane.app";

// The bundle on Linux: resource files in a folder (the daemon's launchd list among them),
// information values given by the build, the application's executable Orvane, and where the Mac's
// bundle would lie, as location answers it (empty when not given).
class DirectoryBundle final : public Bundle {
public:
    DirectoryBundle(std::filesystem::path resources, std::map<std::string, std::string> info,
                    std::function<std::filesystem::path()> location = {},
                    std::filesystem::path executable = defaultApplicationExecutable())
        : resources_(std::move(resources))
        , info_(std::move(info))
        , location_(std::move(location))
        , executable_(std::move(executable)) {}

    // $ORVANE_RESOURCES_DIR, else the folder "resources" next to our executable.
    static std::filesystem::path defaultResourceDirectory();
    // Orvane next to our executable; empty when our own path cannot be read.
    static std::filesystem::path defaultApplicationExecutable();

    // The Mac's bundle path on the stand-in machine: the file bundle.path in the sim directory
    // (one absolute path, a newline allowed), else installedBundlePath. A file that holds no such
    // path gives an empty one, which nothing trusts.
    static std::filesystem::path standInLocation(const std::filesystem::path& simDirectory);

    std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                         std::string_view type) override;
    std::optional<std::string> infoString(std::string_view key) override;
    std::filesystem::path bundlePath() override;
    std::filesystem::path applicationExecutable() override { return executable_; }
    std::optional<std::string> launchDaemonPropertyList(std::string_view name) override;

private:
    std::filesystem::path resources_;
    std::map<std::string, std::string> info_;
    std::function<std::filesystem::path()> location_;
    std::filesystem::path executable_;
};

// Who asks the system's services. On a Mac the service-management facility resolves the daemon's
// list and the login item against the calling program's main bundle, which is Orvane.app only
// for its executable in Contents/MacOS: any other program of ours has a main bundle of its own,
// where neither is found. The stand-in answers alike: only a process running Orvane.
enum class Caller { application, otherProgram };

// This process: the application when the file it runs is named Orvane.
Caller thisProcess();

} // namespace orvane::sim
