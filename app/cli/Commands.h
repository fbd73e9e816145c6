#pragma once

#include <QString>

#include "app/cli/CliContext.h"

namespace orvane::cli {

struct CommandResult {
    ExitStatus status = ExitStatus::done;
    QString message;        // for stderr, always shown
    QString verboseMessage; // for stderr, shown with -v
};

// Sets the limit the way the popover does: the range rule decides, the helper carries the change
// when it is on, the password road otherwise (unless allowPassword is false), and the variable is
// read back before the change counts as done. typedSize is the size as the user wrote it.
CommandResult changeLimit(CliContext& context, double gigabytes, const QString& typedSize,
                          bool allowPassword);

// "helper status", "helper on", "helper off".
CommandResult helperCommand(CliContext& context, const QString& action, QString& output);

} // namespace orvane::cli
