#pragma once

#include "platform/ports/Log.h"

namespace orvane::sim {

// The system log on Linux: one line per entry on stderr, "level subsystem category: message".
class StderrLog final : public Log {
public:
    void write(LogLevel level, std::string_view category, std::string_view message) override;
};

} // namespace orvane::sim
