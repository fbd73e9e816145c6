#pragma once

#include <optional>
#include <string>

namespace orvane {

// Runs an administrator-privileges script (NSAppleScript on a Mac), synchronously: the system's
// password dialog is open while it runs.
class AdminRunner {
public:
    virtual ~AdminRunner() = default;

    // The error information of a failed run, read by its two keys only.
    struct ScriptError {
        std::optional<long> number;         // NSAppleScriptErrorNumber; -128: the user cancelled
        std::optional<std::string> message; // NSAppleScriptErrorMessage, when it is a string
        std::string description;            // the whole error information, for the log
    };

    struct Outcome {
        bool compiled = true;              // false: the source could not be made into a script
        std::optional<ScriptError> error;  // set when the run failed
    };

    virtual Outcome run(const std::string& source) = 0;
};

} // namespace orvane
