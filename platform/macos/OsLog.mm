#include "platform/macos/OsLog.h"

#include "shared/HelperIdentity.h"

namespace orvane::macos {

void OsLog::write(LogLevel level, std::string_view category, std::string_view message) {
    const std::string text(message);
    // The message is already complete; marking it public keeps it readable outside a debugger,
    // as every string argument of ours is.
    os_log_with_type(logFor(category),
                     level == LogLevel::error ? OS_LOG_TYPE_ERROR : OS_LOG_TYPE_INFO, "%{public}s",
                     text.c_str());
}

os_log_t OsLog::logFor(std::string_view category) {
    const std::lock_guard lock(mutex_);
    const auto found = logs_.find(category);
    if (found != logs_.end()) {
        return found->second;
    }
    const std::string subsystem(appBundleIdentifier);
    std::string name(category);
    os_log_t log = os_log_create(subsystem.c_str(), name.c_str());
    logs_.emplace(std::move(name), log);
    return log;
}

} // namespace orvane::macos
