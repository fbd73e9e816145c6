#include "platform/sim/DirectoryBundle.h"

#include <cstdlib>

#include "platform/sim/SimDirectory.h"

namespace orvane::sim {

namespace {

constexpr const char* applicationName = "Orvane";

std::filesystem::path ownExecutable(std::error_code& ec) {
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}

// Names come from our own code, but never let one climb out of the folder.
bool isPlainName(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos && name.find("..") != 0;
}

} // namespace

std::filesystem::path DirectoryBundle::defaultResourceDirectory() {
    if (const char* dir = std::getenv("ORVANE_RESOURCES_DIR"); dir && *dir) {
        return dir;
    }
    std::error_code ec;
    const auto executable = ownExecutable(ec);
    return (ec ? std::filesystem::current_path() : executable.parent_path()) / "resources";
}

std::filesystem::path DirectoryBundle::defaultApplicationExecutable() {
    std::error_code ec;
    const auto executable = ownExecutable(ec);
    return ec ? std::filesystem::path() : executable.parent_path() / applicationName;
}

std::optional<std::filesystem::path> DirectoryBundle::pathForResource(std::string_view name,
                                                                      std::string_view type) {
    if (!isPlainName(name)) {
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

std::optional<std::string> DirectoryBundle::launchDaemonPropertyList(std::string_view name) {
    if (!isPlainName(name)) {
        return std::nullopt;
    }
    return readText(resources_ / name);
}

Caller thisProcess() {
    std::error_code ec;
    const auto executable = ownExecutable(ec);
    return !ec && executable.filename() == applicationName ? Caller::application
                                                           : Caller::otherProgram;
}

} // namespace orvane::sim
