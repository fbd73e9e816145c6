#pragma once

#include <filesystem>
#include <optional>

#include <QString>
#include <QStringList>

#include "app/helperlink/HelperManager.h"

namespace orvane::cli {

// How long the application's executable may take over a command it runs for orvane. Registering
// with the system can take a few seconds; nothing it runs asks the user anything.
inline constexpr double applicationCommandDeadlineSeconds = 30.0;

// The application's executable, run with a command by orvane. The system's service management
// answers only that executable (it resolves the daemon's list and the login item against the
// calling program's main bundle), so whatever registers, unregisters or reads a registration is
// carried out by it.
class ApplicationCommand {
public:
    explicit ApplicationCommand(std::filesystem::path executable,
                                double deadlineSeconds = applicationCommandDeadlineSeconds)
        : executable_(std::move(executable))
        , deadlineSeconds_(deadlineSeconds) {}

    // How a run ended: its exit status and what it printed on its output, or why it has neither.
    struct Ending {
        int status = 3;
        QString output;
        std::optional<QString> problem; // it could not be started, ended by a signal or ran out
                                        // of time (and was then ended)
    };

    // Runs it with these arguments, on this process's input and error output. Its output is held
    // until it has ended, so that one that ends badly leaves nothing half said on ours.
    Ending run(const QStringList& arguments) const;

    // The helper's registration as "helper status" reports it there, or nothing when that did not
    // work (its own error then on this process's error output).
    std::optional<HelperManager::State> registration() const;

private:
    std::filesystem::path executable_;
    double deadlineSeconds_;
};

} // namespace orvane::cli
