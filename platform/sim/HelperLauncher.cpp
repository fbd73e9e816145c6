#include "platform/sim/HelperLauncher.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/sim/UniqueFd.h"

extern char** environ;

namespace orvane::sim {

namespace {

constexpr int activatedFd = 3;

// What the two forked processes report through the status pipe.
struct Report {
    char kind; // 'p': the daemon's pid; 'e': errno of a failed step
    int value;
};

std::string variableName(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

std::vector<std::string> daemonEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> result;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = variableName(text);
        if (name.rfind("LISTEN_", 0) == 0) {
            continue;
        }
        bool replaced = false;
        for (const std::string& override : extra) {
            replaced = replaced || variableName(override) == name;
        }
        if (!replaced) {
            result.push_back(text);
        }
    }
    result.insert(result.end(), extra.begin(), extra.end());
    result.emplace_back("LISTEN_FDS=1");
    return result;
}

// Between fork and exec only async-signal-safe calls are allowed: no allocation, no locale.
void writeReport(int fd, char kind, int value) {
    const Report report{kind, value};
    [[maybe_unused]] const ssize_t n = ::write(fd, &report, sizeof report);
}

void formatPid(char* out, pid_t pid) {
    char digits[24];
    int count = 0;
    auto value = static_cast<unsigned long>(pid);
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0) {
        *out++ = digits[--count];
    }
    *out = '\0';
}

[[noreturn]] void execDaemon(const char* path, char* const* argv, char* const* envp, char* pidSlot,
                             int listenerFd, int reportFd, int logFd, int maxFd) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (listenerFd == activatedFd) {
        ::fcntl(activatedFd, F_SETFD, 0);
    } else if (::dup2(listenerFd, activatedFd) < 0) {
        writeReport(reportFd, 'e', errno);
        _exit(127);
    }
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (devNull >= 0) {
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
    }
    if (logFd >= 0) {
        ::dup2(logFd, STDERR_FILENO);
    }
    // Whatever else the starter held open without close-on-exec (a pipeline's pipe, a lock) must
    // not live on in the daemon until it exits. The status pipe stays usable until the exec.
    if (::close_range(activatedFd + 1, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        for (int fd = activatedFd + 1; fd < maxFd; ++fd) {
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
    formatPid(pidSlot, ::getpid());
    ::execve(path, argv, envp);
    writeReport(reportFd, 'e', errno);
    _exit(127);
}

} // namespace

Launch launchActivated(const std::filesystem::path& helperPath, int listenerFd,
                       const std::vector<std::string>& extraEnvironment, int logFd) {
    // Kept away from fd 3 like the pipe below; dup2 onto stderr clears close-on-exec.
    UniqueFd log(logFd >= 0 ? ::fcntl(logFd, F_DUPFD_CLOEXEC, 10) : -1);
    // Prepare everything the children need before forking.
    std::vector<std::string> environment = daemonEnvironment(extraEnvironment);
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    char pidEntry[48] = "LISTEN_PID=";
    envp.push_back(pidEntry);
    envp.push_back(nullptr);
    const std::string path = helperPath.string();
    std::string name = helperPath.filename().string();
    char* const argv[] = {name.data(), nullptr};
    // Where to stop when the kernel cannot mark a whole range close-on-exec at once.
    const int maxFd = static_cast<int>(std::clamp(::sysconf(_SC_OPEN_MAX), 256L, 65536L));

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return {-1, errno};
    }
    // Keep the pipe away from fd 3, which the daemon's socket will take.
    UniqueFd readEnd(::fcntl(pipeFds[0], F_DUPFD_CLOEXEC, 10));
    UniqueFd writeEnd(::fcntl(pipeFds[1], F_DUPFD_CLOEXEC, 10));
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    if (!readEnd || !writeEnd) {
        return {-1, EMFILE};
    }

    const pid_t middle = ::fork();
    if (middle < 0) {
        return {-1, errno};
    }
    if (middle == 0) {
        // The middle process detaches and leaves at once, so the daemon is nobody's child here.
        ::setsid();
        const pid_t daemon = ::fork();
        if (daemon < 0) {
            writeReport(writeEnd.get(), 'e', errno);
            _exit(1);
        }
        if (daemon > 0) {
            writeReport(writeEnd.get(), 'p', daemon);
            _exit(0);
        }
        execDaemon(path.c_str(), argv, envp.data(), pidEntry + std::strlen("LISTEN_PID="),
                   listenerFd, writeEnd.get(), log.get(), maxFd);
    }
    writeEnd.reset();
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }

    // The pipe reaches end of file once the daemon has executed (close-on-exec) or given up.
    Launch launch;
    Report report{};
    for (;;) {
        const ssize_t n = ::read(readEnd.get(), &report, sizeof report);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n != static_cast<ssize_t>(sizeof report)) {
            break;
        }
        if (report.kind == 'p') {
            launch.pid = report.value;
        } else {
            launch.error = report.value;
        }
    }
    if (launch.error != 0 || launch.pid <= 0) {
        return {-1, launch.error != 0 ? launch.error : ECHILD};
    }
    return launch;
}

} // namespace orvane::sim
