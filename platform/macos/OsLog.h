#pragma once

#include <map>
#include <mutex>
#include <os/log.h>
#include <string>

#include "platform/ports/Log.h"

namespace orvane::macos {

// The unified system log, subsystem "com.halvern.Orvane", one log object per category, each made
// on first use. Safe on any thread: XPC replies are logged from the connections' queues.
class OsLog final : public Log {
public:
    void write(LogLevel level, std::string_view category, std::string_view message) override;

private:
    os_log_t logFor(std::string_view category);

    std::mutex mutex_;
    std::map<std::string, os_log_t, std::less<>> logs_;
};

} // namespace orvane::macos
