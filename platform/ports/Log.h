#pragma once

#include <string_view>

namespace orvane {

enum class LogLevel { info, error };

// The system log. Every entry belongs to the subsystem "com.halvern.Orvane" and one category
// ("vram", "helper" or "app"); the message arrives fully formatted.
class Log {
public:
    virtual ~Log() = default;
    virtual void write(LogLevel level, std::string_view category, std::string_view message) = 0;
};

} // namespace orvane
