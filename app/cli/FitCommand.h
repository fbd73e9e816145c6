#pragma once

#include <cstdint>
#include <functional>

#include <QCommandLineParser>
#include <QTextStream>

#include "app/cli/CliContext.h"

namespace orvane::cli {

// The options of "orvane fit", added to its parser.
void addFitOptions(QCommandLineParser& parser);

// "orvane fit MODEL": reads the model, estimates what it needs, holds that against the memory the
// GPU may use and, with --set, raises the limit when a higher one helps. ports gives the context
// (with the main queue served when asked), or nothing when it must not be used.
// Exit status: 0 fits (or was made to fit), 1 fits after a change, 2 the input is wrong (usage or
// a malformed model), 3 failed, 4 cancelled, 5 does not fit on this machine.
int fitCommand(const QCommandLineParser& parser, const QString& model,
               const std::function<CliContext*(bool mainQueue)>& ports, QTextStream& out,
               QTextStream& err);

// Gigabytes with one decimal rounded down, without a trailing ".0": "48", "10.6".
QString gigabytesDown(std::uint64_t bytes);

} // namespace orvane::cli
