#pragma once

#include <functional>
#include <optional>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QTextStream>

#include "app/cli/CliContext.h"

namespace orvane::cli {

// "orvane watch [--interval SECONDS]": the GPU's memory in use, allocated, the limit in force and
// the share of it, one line per interval until SIGINT or SIGTERM (exit 0). Exit 3 when the
// statistics are unknown from the start.

inline constexpr double defaultWatchInterval = 1.0;
inline constexpr double shortestWatchInterval = 0.2;
inline constexpr double longestWatchInterval = 86400.0;

const QCommandLineOption& watchIntervalOption();

// The interval in seconds as the option gives it: a finite number within the bounds above.
std::optional<double> parseWatchInterval(const QString& text);

// One line: the time, in use, allocated, the limit ("system managed" or whole GB) and, when there
// is a limit, in use as a share of it.
QString watchLine(const QString& time, const GpuMemoryStats::Reading& reading, double limitGB);

// Checks the interval first (a usage error needs no ports), then watches until stopped.
int watchCommand(const QCommandLineParser& parser, const std::function<CliContext&()>& context,
                 QTextStream& out, QTextStream& err);

} // namespace orvane::cli
