#pragma once

#include <cstdint>
#include <optional>

#include <QString>

#include "app/cli/Commands.h"

namespace orvane::cli {

// What a command that changes something reports with --json, as one line: "changed", "limitMB"
// (the variable as read when the command ended; null when it could not be read), "road" (helper,
// password or none) and, when the command did not succeed, "error": the sentence it says on
// stderr.
QString changeJson(const CommandResult& result, std::optional<std::int64_t> limitMB);

} // namespace orvane::cli
