#pragma once

#include "platform/ports/Bundle.h"

namespace orvane::macos {

// Orvane.app itself: Contents/Resources and the information property list.
class MainBundle final : public Bundle {
public:
    std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                         std::string_view type) override;
    std::optional<std::string> infoString(std::string_view key) override;
};

} // namespace orvane::macos
