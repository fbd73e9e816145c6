#include "platform/sim/limit/PasswordDialogProcess.h"

#include <csignal>
#include <sys/prctl.h>

#include <QProcess>

#include "platform/sim/limit/PasswordDialogContract.h"

namespace orvane::sim {

namespace {

constexpr int killGraceMilliseconds = 5000;
constexpr const char* passwordDialogNotShown = "The password dialog could not be shown.";
constexpr const char* passwordDialogNotAnswered = "The password dialog was not answered in time.";
constexpr const char* passwordDialogEnded = "The password dialog ended without an answer.";

} // namespace

PasswordDialogProcess::PasswordDialogProcess(std::filesystem::path program,
                                             std::vector<std::string> environment,
                                             double deadlineSeconds)
    : program_(std::move(program))
    , environment_(std::move(environment))
    , deadlineSeconds_(deadlineSeconds) {}

std::filesystem::path PasswordDialogProcess::defaultProgram() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    // Without our own path, the name alone still fails clearly when the dialog is started.
    return error ? std::filesystem::path(passwordDialogName)
                 : self.parent_path() / passwordDialogName;
}

SimAdminRunner::PasswordAnswer PasswordDialogProcess::ask(const std::string& prompt) const {
    QProcess dialog;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const std::string& entry : environment_) {
        const auto equals = entry.find('=');
        environment.insert(QString::fromStdString(entry.substr(0, equals)),
                           QString::fromStdString(entry.substr(equals + 1)));
    }
    environment.insert(passwordPromptVariable, QString::fromStdString(prompt));
    dialog.setProcessEnvironment(environment);
    dialog.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    dialog.setStandardInputFile(QProcess::nullDevice());
    // The dialog must not outlive an application that was killed while waiting for it.
    dialog.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    dialog.start(QString::fromStdString(program_.string()), {});
    if (!dialog.waitForStarted()) {
        return SimAdminRunner::PasswordAnswer::failed(passwordDialogNotShown);
    }
    // Blocking on purpose: unlike a modal dialog's event loop, this runs nothing else meanwhile.
    const int deadline = static_cast<int>(deadlineSeconds_ * 1000.0);
    if (!dialog.waitForFinished(deadline) && dialog.state() != QProcess::NotRunning) {
        dialog.kill();
        dialog.waitForFinished(killGraceMilliseconds);
        return SimAdminRunner::PasswordAnswer::failed(passwordDialogNotAnswered);
    }
    const QByteArray answer = dialog.readAllStandardOutput().trimmed();
    if (answer == passwordDialogOk || answer == passwordDialogCancel) {
        return answer == passwordDialogOk;
    }
    return SimAdminRunner::PasswordAnswer::failed(passwordDialogEnded);
}

} // namespace orvane::sim
