#pragma once

#include <string>

namespace orvane {

// The one bound on every wait for the helper: connecting to it, the start lock, its start, and
// each reply. A wait that runs out ends the request as unavailable, with a log line naming it.
inline constexpr double helperDeadlineSeconds = 5.0;

// "5 seconds", "0.5 seconds", "1 second": the deadline as the log lines name it.
std::string deadlineText(double seconds);

} // namespace orvane
