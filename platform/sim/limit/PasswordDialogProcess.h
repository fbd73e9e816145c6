#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/sim/limit/SimAdminRunner.h"

namespace orvane::sim {

// The administrator password dialog of the application on Linux. As on a Mac, where the system's
// dialog belongs to another process, it runs as a program of its own (OrvanePasswordDialog), and
// the application waits for its answer with the main thread blocked: no timer, no queued block
// and no click runs until the dialog is answered.
//
// The wait ends when the dialog process ends, however it ends, and at the latest after the
// deadline, when the dialog is killed. A signal that ends the application ends the wait, and the
// dialog goes with the application.
class PasswordDialogProcess {
public:
    static constexpr double defaultDeadlineSeconds = 300.0;

    // environment: extra NAME=value entries for the dialog process.
    explicit PasswordDialogProcess(std::filesystem::path program,
                                   std::vector<std::string> environment = {},
                                   double deadlineSeconds = defaultDeadlineSeconds);

    SimAdminRunner::PasswordAnswer ask(const std::string& prompt) const;

    // OrvanePasswordDialog next to the running executable.
    static std::filesystem::path defaultProgram();

private:
    std::filesystem::path program_;
    std::vector<std::string> environment_;
    double deadlineSeconds_;
};

} // namespace orvane::sim
