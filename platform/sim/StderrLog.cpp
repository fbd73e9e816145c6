#include "platform/sim/StderrLog.h"

#include <string>
#include <unistd.h>

#include "shared/HelperIdentity.h"

namespace orvane::sim {

void StderrLog::write(LogLevel level, std::string_view category, std::string_view message) {
    std::string line = level == LogLevel::error ? "error " : "info ";
    line += appBundleIdentifier;
    line += ' ';
    line += category;
    line += ": ";
    // One entry is one line, whatever the message holds.
    for (char c : message) {
        line += (c == '\n' || c == '\r') ? ' ' : c;
    }
    line += '\n';
    // A single write keeps lines from several threads or processes whole.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
}

} // namespace orvane::sim
