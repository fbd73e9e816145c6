#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "platform/ports/Log.h"

namespace orvane {

// One argument of a log message: a whole number or a text.
class LogArg {
public:
    template <typename T>
    requires std::is_integral_v<T> LogArg(T number) : value_(static_cast<std::int64_t>(number)) {}
    LogArg(std::string_view text) : value_(text) {}
    LogArg(const char* text) : value_(std::string_view(text)) {}
    LogArg(const std::string& text) : value_(std::string_view(text)) {}

    std::string text() const;

private:
    std::variant<std::int64_t, std::string_view> value_;
};

// Fills a message written in the system log's own notation ("%ld", "%{public}s", "%{public}@"),
// so that the messages in the code read exactly as the documents give them.
std::string formatLogMessage(std::string_view format, std::initializer_list<LogArg> args);

// A log category, such as helperLog ("helper").
class Logger {
public:
    Logger(Log& log, std::string_view category) : log_(&log), category_(category) {}

    void error(std::string_view format, std::initializer_list<LogArg> args = {}) const {
        log_->write(LogLevel::error, category_, formatLogMessage(format, args));
    }
    void info(std::string_view format, std::initializer_list<LogArg> args = {}) const {
        log_->write(LogLevel::info, category_, formatLogMessage(format, args));
    }

private:
    Log* log_;
    std::string_view category_;
};

} // namespace orvane
