#pragma once

#include <QString>

#include "app/cli/CliContext.h"

namespace orvane::cli {

// The road that carried a change of the limit.
enum class Road { none, helper, password };

struct CommandResult {
    ExitStatus status = ExitStatus::done;
    QString message;        // for stderr, always shown
    QString verboseMessage; // for stderr, shown with -v
    bool changed = false;   // the limit, or a setting the command stores, is not what it was
    Road road = Road::none;
};

// Sets the limit the way the popover does: the range rule decides, the helper carries the change
// when it is on, the password road otherwise (unless allowPassword is false), and the variable is
// read back before the change counts as done. A limit already in force takes no road at all, so
// asks for no password. typedSize is the size as the user wrote it.
CommandResult changeLimit(CliContext& context, double gigabytes, const QString& typedSize,
                          bool allowPassword);

// The result once the settings the command changed are confirmed stored; if they are not, a
// failure that says why (and, where the change itself was made, what it was).
CommandResult confirmSaved(CliContext& context, CommandResult result);

// "helper status", "helper on", "helper off".
CommandResult helperCommand(CliContext& context, const QString& action, QString& output);

} // namespace orvane::cli
