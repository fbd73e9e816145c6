#pragma once

#include <QString>

#include "app/cli/CliContext.h"
#include "app/cli/Commands.h"

namespace orvane::cli {

// "keep" (whether keeping is on, and the kept limit), "keep on", "keep off": the same as the
// popover's "Keep Limit After Restart" switch, Launch at Login included.
CommandResult keepCommand(CliContext& context, const QString& action, QString& output);

// "restore": sets the kept limit again after a restart, through the helper only; says on output
// whether it was restored or why there was nothing to do.
CommandResult restoreCommand(CliContext& context, QString& output);

} // namespace orvane::cli
