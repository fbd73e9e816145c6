#include "app/cli/ApplicationCommand.h"

#include <QProcess>

#include "app/cli/CliContext.h"
#include "app/cli/CliTexts.h"
#include "app/cli/StatusReport.h"

namespace orvane::cli {

namespace {

constexpr int failed = static_cast<int>(ExitStatus::failed);

QString deadlineWords(double seconds) {
    return QString::number(seconds, 'g', 6) + (seconds == 1.0 ? " second" : " seconds");
}

// Starts the process and waits for its end within the deadline; the reason why not, else nothing.
std::optional<QString> runToEnd(QProcess& process, const std::filesystem::path& executable,
                                const QStringList& arguments, double deadlineSeconds) {
    const QString program = QString::fromStdString(executable.string());
    if (executable.empty()) {
        return QString(cli_text::applicationNotFound);
    }
    process.setProgram(program);
    process.setArguments(arguments);
    process.start();
    const int milliseconds = static_cast<int>(deadlineSeconds * 1000.0);
    if (!process.waitForStarted(milliseconds)) {
        return QString(cli_text::applicationNotRun).arg(program, process.errorString());
    }
    if (!process.waitForFinished(milliseconds)) {
        process.kill();
        process.waitForFinished(milliseconds);
        return QString(cli_text::applicationTooSlow)
            .arg(program, arguments.join(' '), deadlineWords(deadlineSeconds));
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        return QString(cli_text::applicationCrashed).arg(program, arguments.join(' '));
    }
    return std::nullopt;
}

} // namespace

ApplicationCommand::Ending ApplicationCommand::run(const QStringList& arguments) const {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    if (auto problem = runToEnd(process, executable_, arguments, deadlineSeconds_)) {
        return {failed, {}, std::move(problem)};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()), std::nullopt};
}

std::optional<HelperManager::State> ApplicationCommand::registration() const {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardInputFile(QProcess::nullDevice());
    if (runToEnd(process, executable_, {"helper", "status"}, deadlineSeconds_) ||
        process.exitCode() != 0) {
        return std::nullopt;
    }
    const QString answer = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    for (const auto state : {HelperManager::State::off, HelperManager::State::needsApproval,
                             HelperManager::State::on}) {
        if (answer == helperStateText(state)) {
            return state;
        }
    }
    return std::nullopt;
}

} // namespace orvane::cli
