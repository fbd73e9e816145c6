#pragma once

#include <map>

#include "platform/ports/Bundle.h"

namespace orvane::sim {

// The sizes of AppIcon_<size>.png that the build renders into the resources (app/CMakeLists.txt).
inline constexpr int appIconSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};

// The bundle on Linux: resource files in a folder, information values given by the build.
class DirectoryBundle final : public Bundle {
public:
    DirectoryBundle(std::filesystem::path resources, std::map<std::string, std::string> info)
        : resources_(std::move(resources))
        , info_(std::move(info)) {}

    // $ORVANE_RESOURCES_DIR, else the folder "resources" next to our executable.
    static std::filesystem::path defaultResourceDirectory();

    std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                         std::string_view type) override;
    std::optional<std::string> infoString(std::string_view key) override;

private:
    std::filesystem::path resources_;
    std::map<std::string, std::string> info_;
};

} // namespace orvane::sim
