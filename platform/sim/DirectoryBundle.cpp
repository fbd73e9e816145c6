#include "platform/sim/DirectoryBundle.h"

#include <cstdlib>

namespace orvane::sim {

std::filesystem::path DirectoryBundle::defaultResourceDirectory() {
    if (const char* dir = std::getenv("ORVANE_RESOURCES_DIR"); dir && *dir) {
        return dir;
    }
    std::error_code ec;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (ec ? std::filesystem::current_path() : executable.parent_path()) / "resources";
}

std::optional<std::filesystem::path> DirectoryBundle::pathForResource(std::string_view name,
                                                                      std::string_view type) {
    // Names come from our own code, but never let one climb out of the folder.
    if (name.empty() || name.find('/') != std::string_view::npos || name.find("..") == 0) {
        return std::nullopt;
    }
    std::string file(name);
    if (!type.empty()) {
        file += '.';
        file += type;
    }
    const std::filesystem::path path = resources_ / file;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return std::nullopt;
    }
    return path;
}

std::optional<std::string> DirectoryBundle::infoString(std::string_view key) {
    const auto found = info_.find(std::string(key));
    if (found == info_.end()) {
        return std::nullopt;
    }
    return found->second;
}

} // namespace orvane::sim
