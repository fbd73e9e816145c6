#pragma once

#include <functional>
#include <map>

#include "platform/ports/Bundle.h"

namespace orvane::sim {

// The sizes of AppIcon_<size>.png that the build renders into the resources (app/CMakeLists.txt).
inline constexpr int appIconSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};

// Where the stand-in's Orvane.app lies when its sim directory does not say otherwise.
inline constexpr const char* installedBundlePath = "/Applications/Orvane.app";

// The bundle on Linux: resource files in a folder, information values given by the build, and
// where the Mac's bundle would lie, as location answers it (empty when not given).
class DirectoryBundle final : public Bundle {
public:
    DirectoryBundle(std::filesystem::path resources, std::map<std::string, std::string> info,
                    std::function<std::filesystem::path()> location = {})
        : resources_(std::move(resources))
        , info_(std::move(info))
        , location_(std::move(location)) {}

    // $ORVANE_RESOURCES_DIR, else the folder "resources" next to our executable.
    static std::filesystem::path defaultResourceDirectory();

    // The Mac's bundle path on the stand-in machine: the file bundle.path in the sim directory
    // (one absolute path, a newline allowed), else installedBundlePath. A file that holds no such
    // path gives an empty one, which nothing trusts.
    static std::filesystem::path standInLocation(const std::filesystem::path& simDirectory);

    std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                         std::string_view type) override;
    std::optional<std::string> infoString(std::string_view key) override;
    std::filesystem::path bundlePath() override;

private:
    std::filesystem::path resources_;
    std::map<std::string, std::string> info_;
    std::function<std::filesystem::path()> location_;
};

} // namespace orvane::sim
