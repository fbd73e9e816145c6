#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/ports/Log.h"

namespace orvane::test {

struct LogEntry {
    LogLevel level;
    std::string category;
    std::string message;

    friend bool operator==(const LogEntry&, const LogEntry&) = default;
};

class FakeLog final : public Log {
public:
    void write(LogLevel level, std::string_view category, std::string_view message) override {
        const std::lock_guard lock(mutex_);
        entries_.push_back({level, std::string(category), std::string(message)});
    }

    std::vector<LogEntry> entries() const {
        const std::lock_guard lock(mutex_);
        return entries_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<LogEntry> entries_;
};

inline LogEntry error(std::string category, std::string message) {
    return {LogLevel::error, std::move(category), std::move(message)};
}

} // namespace orvane::test
