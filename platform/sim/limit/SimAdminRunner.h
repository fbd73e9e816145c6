#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "platform/ports/AdminRunner.h"

namespace orvane::sim {

// The administrator script on Linux. It understands exactly one form,
//   do shell script "<command>" with prompt "<prompt>" with administrator privileges
// (no escapes inside the quotes), asks for the password with the script's prompt, and then runs
// the one command it knows, /usr/sbin/sysctl -w iogpu.wired_limit_mb=<number>, as root would:
// the value is written to the sim directory without any range check.
class SimAdminRunner final : public AdminRunner {
public:
    // Shows the password dialog: true for OK, false for Cancel. Called on the main thread, and
    // may block it, as the system's dialog does on a Mac.
    using PasswordPrompt = std::function<bool(const std::string& prompt)>;

    SimAdminRunner(std::filesystem::path simDirectory, PasswordPrompt askPassword);

    Outcome run(const std::string& source) override;

private:
    std::filesystem::path directory_;
    PasswordPrompt askPassword_;
};

} // namespace orvane::sim
