#include "platform/sim/core/TerminalPasswordPrompt.h"

#include <cstdio>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace orvane::sim {

bool askPasswordOnTerminal(const std::string& prompt) {
    std::fprintf(stderr, "%s\nPassword: ", prompt.c_str());
    std::fflush(stderr);
    termios saved{};
    const bool terminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string password;
    const bool answered = static_cast<bool>(std::getline(std::cin, password));
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    }
    std::fputc('\n', stderr);
    return answered;
}

} // namespace orvane::sim
