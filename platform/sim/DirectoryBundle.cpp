#include "platform/sim/DirectoryBundle.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/sim/SimDirectory.h"
#include "platform/sim/StandInFile.h"
#include "shared/ErrnoText.h"

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

std::filesystem::path DirectoryBundle::standInLocation(const std::filesystem::path& simDirectory) {
    if (simDirectory.empty()) {
        return {};
    }
    const std::filesystem::path file = simDirectory / bundlePathFileName;
    int error = 0;
    auto text = readText(file, &error);
    if (!text) {
        if (error != ENOENT) {
            standInLog().error("Cannot read %{public}s: %{public}s",
                               {file.string(), errnoText(error)});
            return {};
        }
        return installedBundlePath;
    }
    if (text->ends_with('\n')) {
        text->pop_back();
    }
    const bool control = std::any_of(text->begin(), text->end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    });
    if (control || text->size() > 1024 || !text->starts_with('/')) {
        standInLog().error("Ignored %{public}s: it does not hold one absolute path",
                           {file.string()});
        return {};
    }
    return *text;
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

std::filesystem::path DirectoryBundle::bundlePath() {
    return location_ ? location_() : std::filesystem::path();
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
