#pragma once

#include <filesystem>
#include <functional>
#include <optional>
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
    // How the password dialog ended: OK, Cancel, or no answer at all (the reason).
    struct PasswordAnswer {
        PasswordAnswer(bool ok) : ok(ok) {} // implicit: a prompt may answer true or false
        static PasswordAnswer failed(std::string reason) {
            PasswordAnswer answer(false);
            answer.failure = std::move(reason);
            return answer;
        }
        bool ok;
        std::optional<std::string> failure;
    };

    // Shows the password dialog and waits for its answer. Called on the main thread, and blocks
    // it, as the system's dialog does on a Mac.
    using PasswordPrompt = std::function<PasswordAnswer(const std::string& prompt)>;

    SimAdminRunner(std::filesystem::path simDirectory, PasswordPrompt askPassword);

    Outcome run(const std::string& source) override;

private:
    std::filesystem::path directory_;
    PasswordPrompt askPassword_;
};

} // namespace orvane::sim
