#pragma once

#include <filesystem>
#include <optional>

#include <QStringList>
#include <QTextStream>

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

    // Runs it with these arguments, on this process's input, output and error, and gives its exit
    // status. When it cannot be started, ends by a signal or runs out of time (and is then ended),
    // that is said on err and the status is 3.
    int run(const QStringList& arguments, QTextStream& err) const;

    // The helper's registration as "helper status" reports it there, or nothing when that did not
    // work (its own error then on this process's error output).
    std::optional<HelperManager::State> registration() const;

private:
    std::filesystem::path executable_;
    double deadlineSeconds_;
};

} // namespace orvane::cli
