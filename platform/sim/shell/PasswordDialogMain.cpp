// OrvanePasswordDialog: the stand-in for the system's administrator password dialog, a process of
// its own as the Mac's is. The prompt comes in the environment; the exit status is the answer.

#include <QApplication>
#include <QTimer>

#include "platform/sim/limit/PasswordDialogContract.h"
#include "platform/sim/shell/PasswordPrompt.h"

int main(int argc, char** argv) {
    using namespace orvane::sim;
    QApplication application(argc, argv);
    QApplication::setApplicationName("Orvane");
    PasswordPrompt dialog(qEnvironmentVariable(passwordPromptVariable));
    const QString canned = qEnvironmentVariable(passwordAnswerVariable);
    if (canned == "ok" || canned == "cancel") {
        QTimer::singleShot(
            0, &dialog, [&dialog, ok = canned == "ok"] { ok ? dialog.accept() : dialog.reject(); });
    }
    return dialog.exec() == QDialog::Accepted ? passwordDialogOk : passwordDialogCancel;
}
