#pragma once

#include "platform/ports/Bundle.h"

namespace orvane::macos {

// Orvane.app itself: Contents/Resources, the information property list, Contents/MacOS/Orvane and
// Contents/Library/LaunchDaemons. For the application that is its main bundle; for orvane, which
// lies in Contents/Helpers and whose main bundle is that folder, it is the application bundle
// around it.
class MainBundle final : public Bundle {
public:
    std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                         std::string_view type) override;
    std::optional<std::string> infoString(std::string_view key) override;
    std::filesystem::path bundlePath() override;
    std::filesystem::path applicationExecutable() override;
    std::optional<std::string> launchDaemonPropertyList(std::string_view name) override;
};

} // namespace orvane::macos
