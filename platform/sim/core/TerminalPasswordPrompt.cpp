#include "platform/sim/core/TerminalPasswordPrompt.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <termios.h>
#include <unistd.h>

namespace orvane::sim {

TerminalAnswer askPasswordOnTerminal(const std::string& prompt) {
    std::fprintf(stderr, "%s\nPassword: ", prompt.c_str());
    std::fflush(stderr);
    termios saved{};
    const bool terminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    // Read with stdio rather than iostreams, whose set-up every start of orvane would pay for.
    char* line = nullptr;
    std::size_t capacity = 0;
    const bool answered = ::getline(&line, &capacity, stdin) >= 0;
    if (line != nullptr) {
        std::memset(line, 0, capacity); // the stand-in accepts any password, but still a password
        std::free(line);
    }
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    }
    std::fputc('\n', stderr);
    if (answered) {
        return TerminalAnswer::answered;
    }
    return terminal ? TerminalAnswer::cancelled : TerminalAnswer::noTerminal;
}

} // namespace orvane::sim
