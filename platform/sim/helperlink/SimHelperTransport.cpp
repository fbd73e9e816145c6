#include "platform/sim/helperlink/SimHelperTransport.h"

#include <cstdlib>

#include "platform/sim/helperlink/SimHelperConnection.h"

namespace orvane::sim {

double configuredHelperDeadline() {
    const char* text = std::getenv("ORVANE_HELPER_DEADLINE");
    if (!text) {
        return helperDeadlineSeconds;
    }
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(seconds > 0.0) || !(seconds <= 3600.0)) {
        return helperDeadlineSeconds;
    }
    return seconds;
}

std::filesystem::path defaultHelperPath() {
    if (const char* path = std::getenv("ORVANE_HELPER_PATH"); path && *path) {
        return path;
    }
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    // Without our own path, the name alone still fails clearly when the daemon is started.
    return error ? std::filesystem::path("OrvaneHelper") : self.parent_path() / "OrvaneHelper";
}

SimHelperTransport::SimHelperTransport(std::filesystem::path directory,
                                       std::filesystem::path helperPath,
                                       std::vector<std::string> environment, double deadlineSeconds)
    : site_{std::move(directory), std::move(helperPath), std::move(environment), deadlineSeconds} {}

std::shared_ptr<HelperConnection> SimHelperTransport::connect() {
    return std::make_shared<SimHelperConnection>(site_);
}

} // namespace orvane::sim
