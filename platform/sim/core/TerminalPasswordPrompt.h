#pragma once

#include <string>

namespace orvane::sim {

enum class TerminalAnswer { answered, cancelled, noTerminal };

// The administrator password prompt of the command line on Linux: the prompt and "Password:" on
// stderr, the answer read from stdin without echo (a script may pipe one in). End of input on a
// terminal cancels; end of input that is no terminal (a cron job, stdin from /dev/null) means that
// nobody could have been asked.
TerminalAnswer askPasswordOnTerminal(const std::string& prompt);

} // namespace orvane::sim
