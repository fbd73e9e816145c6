// OrvanePasswordDialog: the stand-in for the system's administrator password dialog, a process of
// its own as the Mac's is. The prompt comes in the environment; the answer goes to stdout.

#include <cstdio>

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
    if (canned == passwordDialogOk || canned == passwordDialogCancel) {
        QTimer::singleShot(0, &dialog, [&dialog, ok = canned == passwordDialogOk] {
            ok ? dialog.accept() : dialog.reject();
        });
    }
    const bool ok = dialog.exec() == QDialog::Accepted;
    std::printf("%s\n", ok ? passwordDialogOk : passwordDialogCancel);
    std::fflush(stdout);
    return 0;
}
