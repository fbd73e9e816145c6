#pragma once

#include "platform/ports/AdminRunner.h"

namespace orvane::macos {

// Runs the model's administrator script with NSAppleScript, on the main thread, which the
// system's password dialog blocks until the user answers.
class AppleScriptRunner final : public AdminRunner {
public:
    Outcome run(const std::string& source) override;
};

} // namespace orvane::macos
