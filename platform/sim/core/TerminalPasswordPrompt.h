#pragma once

#include <string>

namespace orvane::sim {

// The administrator password prompt of the command line on Linux: the prompt and "Password:" on
// stderr, the answer read from stdin without echo. End of input cancels.
bool askPasswordOnTerminal(const std::string& prompt);

} // namespace orvane::sim
