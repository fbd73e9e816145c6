#include "app/cli/Watch.h"

#include <cerrno>
#include <chrono>
#include <cmath>

#include <QFileDevice>
#include <QTime>

#include "app/cli/CliTexts.h"
#include "app/cli/StopSignals.h"
#include "app/limit/GpuMemoryFigures.h"
#include "app/limit/LimitTexts.h"
#include "app/limit/Sizes.h"
#include "app/limit/VramReader.h"
#include "shared/ErrnoText.h"
#include "shared/RangeRule.h"

namespace orvane::cli {

namespace {

QString gigabytesOrUnknown(std::optional<std::uint64_t> bytes) {
    if (!bytes) {
        return cli_text::watchUnknown;
    }
    return QString(cli_text::watchGigabytes)
        .arg(QString::fromStdString(gigabytesOneDecimal(*bytes)));
}

QString limitText(double limitGB) {
    if (limitGB == 0.0) {
        return cli_text::watchSystemManaged;
    }
    return QString(cli_text::watchWholeGigabytes).arg(QString::fromStdString(wholeText(limitGB)));
}

// Watching is reading, not a change: nothing is stored. A limit that cannot be read shows as the
// last one known.
double readLimitGB(CliContext& context) {
    const LimitReading reading = readLimitMB(context.kernel);
    return reading.megabytes ? gigabytesOf(*reading.megabytes) : storedVRAMGB(context.defaults);
}

// One line, out at once, also into a pipe: nothing when written, an empty reason when a stop
// signal came first, else why it could not be written. Output that goes nowhere ends the watch
// instead of running on unseen.
std::optional<QString> writeLine(StopSignals& stop, QTextStream& out, const QString& line) {
    out.flush();
    const auto* file = qobject_cast<QFileDevice*>(out.device());
    if (!file || file->handle() < 0) {
        out << line;
        out.flush();
        if (out.status() == QTextStream::Ok) {
            return std::nullopt;
        }
        return out.device() ? out.device()->errorString() : QString("no output");
    }
    // Written here rather than through Qt, which retries a write that a stop signal interrupted.
    const QByteArray bytes = line.toUtf8();
    switch (const int error =
                stop.write(file->handle(), {bytes.data(), std::size_t(bytes.size())})) {
    case 0:
        return std::nullopt;
    case ECANCELED:
        return QString();
    default:
        return QString::fromStdString(errnoText(error));
    }
}

int watch(CliContext& context, double intervalSeconds, QTextStream& out, QTextStream& err) {
    using Clock = std::chrono::steady_clock;
    // Caught before the first line, so that a signal at any moment after it ends us cleanly.
    StopSignals stop;
    GpuMemoryStats::Reading reading = context.gpuMemory.read();
    if (!reading.inUseBytes && !reading.allocatedBytes) {
        err << cli_text::watchUnknownStatistics << '\n';
        return static_cast<int>(ExitStatus::failed);
    }
    const auto interval =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(intervalSeconds));
    Clock::time_point next = Clock::now();
    for (;;) {
        const QString line =
            watchLine(QTime::currentTime().toString("HH:mm:ss"), reading, readLimitGB(context));
        if (const std::optional<QString> failure = writeLine(stop, out, line + '\n')) {
            if (failure->isEmpty()) {
                return static_cast<int>(ExitStatus::done); // stopped while the output was full
            }
            err << QString(cli_text::outputFailed).arg(*failure) << '\n';
            return static_cast<int>(ExitStatus::failed);
        }
        // A steady beat: a slow read delays this line, not every line after it.
        next += interval;
        const Clock::time_point now = Clock::now();
        if (next < now) {
            next = now;
        }
        if (stop.waitFor(next - now)) {
            return static_cast<int>(ExitStatus::done);
        }
        reading = context.gpuMemory.read();
    }
}

} // namespace

const QCommandLineOption& watchIntervalOption() {
    static const QCommandLineOption option("interval", cli_text::watchIntervalHelp, "seconds",
                                           QString::number(defaultWatchInterval));
    return option;
}

std::optional<double> parseWatchInterval(const QString& text) {
    bool ok = false;
    // QString::toDouble reads the C locale's digits whatever the user's locale.
    const double seconds = text.trimmed() == text ? text.toDouble(&ok) : 0.0;
    if (!ok || !std::isfinite(seconds) || seconds < shortestWatchInterval ||
        seconds > longestWatchInterval) {
        return std::nullopt;
    }
    return seconds;
}

QString watchLine(const QString& time, const GpuMemoryStats::Reading& reading, double limitGB) {
    QString line = QString(cli_text::watchLine)
                       .arg(time, gigabytesOrUnknown(reading.inUseBytes),
                            gigabytesOrUnknown(reading.allocatedBytes), limitText(limitGB));
    if (const auto percent = shareOfLimitPercent(reading.inUseBytes, limitGB)) {
        line += QString(cli_text::watchShare).arg(static_cast<qint64>(*percent));
    }
    return line;
}

int watchCommand(const QCommandLineParser& parser, const std::function<CliContext&()>& context,
                 QTextStream& out, QTextStream& err) {
    const QString given = parser.value(watchIntervalOption());
    const std::optional<double> interval = parseWatchInterval(given);
    if (!interval) {
        bool number = false;
        const double seconds = given.toDouble(&number);
        err << (number && seconds <= 0.0 ? QString(cli_text::watchIntervalNotPositive)
                                         : QString(cli_text::badWatchInterval).arg(given))
            << '\n';
        return static_cast<int>(ExitStatus::usage);
    }
    return watch(context(), *interval, out, err);
}

} // namespace orvane::cli
