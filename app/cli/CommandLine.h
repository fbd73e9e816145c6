#pragma once

#include <functional>

#include <QStringList>
#include <QTextStream>

#include "app/cli/CliContext.h"

namespace orvane::cli {

// Whether the arguments make the executable a command-line tool instead of the menu-bar
// application: a command (or any word) first, or one of the command line's own options.
bool isCommandLine(const QStringList& arguments);

// What a command asks of its context: the log shown (-v), and the main queue served, which a
// command that waits for the helper needs and a plain read such as status does without.
struct ContextNeeds {
    bool verbose = false;
    bool mainQueue = true;
};

// Runs one command. arguments[0] is the program's name. The context is built once the command is
// known to need it, with the log shown only for -v. Returns the exit status.
int runCommandLine(const QStringList& arguments,
                   const std::function<CliContext&(const ContextNeeds&)>& context, QTextStream& out,
                   QTextStream& err);

} // namespace orvane::cli
