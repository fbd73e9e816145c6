#include "platform/sim/helperlink/HelperStarter.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/sim/HelperLauncher.h"
#include "platform/sim/Seqpacket.h"
#include "platform/sim/SimDirectory.h"
#include "platform/sim/StandInFile.h"
#include "platform/sim/helperlink/ServiceRecord.h"
#include "shared/ErrnoText.h"

namespace orvane::sim {

namespace {

using Clock = std::chrono::steady_clock;

// A log over this size starts afresh when the daemon is started.
constexpr off_t logLimitBytes = 1 << 20;

HelperSocket failed(std::string problem) {
    return {UniqueFd(), std::move(problem)};
}

std::string withErrno(const std::string& what, int error) {
    return what + ": " + errnoText(error) + ".";
}

// launchd refuses a daemon that is not enabled; so does the stand-in.
std::string notEnabled(long status) {
    switch (status) {
    case serviceNotRegistered:
        return "The helper is not registered, so it was not started.";
    case serviceRequiresApproval:
        return "The helper has not been allowed in Login Items, so it was not started.";
    case serviceNotFound:
        return "The helper's registration was not found, so it was not started.";
    default:
        return "The helper's service status " + std::to_string(status) +
               " is unknown, so it was not started.";
    }
}

bool nobodyListens(int error) {
    return error == ECONNREFUSED || error == ENOENT;
}

HelperSocket connected(UniqueFd fd, int error, const HelperSite& site) {
    if (fd) {
        return {std::move(fd), {}};
    }
    if (error == EAGAIN) {
        return failed("Connecting to the helper took longer than " +
                      deadlineText(site.deadlineSeconds) + ": its queue of connections is full.");
    }
    HelperSocket socket = failed(withErrno("Could not connect to the helper", error));
    socket.refused = error == ECONNREFUSED;
    return socket;
}

// Holds an exclusive flock until destroyed. The lock is taken without blocking and asked for again
// until the deadline, so that a starter stopped while holding it (Ctrl-Z) cannot hold us forever.
// It is released explicitly, because a process forked meanwhile may still hold a copy of the fd.
class StartLock {
public:
    StartLock(const std::filesystem::path& path, const HelperSite& site,
              const std::function<bool()>& cancelled) {
        StandInFile file = openStandInFile(path, O_RDWR | O_CREAT);
        if (!file.fd) {
            problem_ = withErrno("Could not open the lock for starting the helper", file.error);
            return;
        }
        const auto deadline = Clock::now() + std::chrono::duration<double>(site.deadlineSeconds);
        while (::flock(file.fd.get(), LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            if (error != EWOULDBLOCK && error != EINTR) {
                problem_ = withErrno("Could not take the lock for starting the helper", error);
                return;
            }
            if (cancelled()) {
                problem_ = "The connection was invalidated.";
                return;
            }
            if (Clock::now() >= deadline) {
                problem_ = "Another process has held the lock for starting the helper (" +
                           path.string() + ") for longer than " +
                           deadlineText(site.deadlineSeconds) + ".";
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        fd_ = std::move(file.fd);
    }
    ~StartLock() {
        if (fd_) {
            ::flock(fd_.get(), LOCK_UN);
        }
    }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

    const std::string& problem() const { return problem_; }

private:
    UniqueFd fd_;
    std::string problem_;
};

// The daemon's log, refused like any stand-in file that is not a regular file of ours. A log that
// cannot be opened costs the daemon its log, not its start.
UniqueFd openHelperLog(const std::filesystem::path& path) {
    StandInFile log = openStandInFile(path, O_WRONLY | O_CREAT | O_APPEND);
    if (log.fd && ::lseek(log.fd.get(), 0, SEEK_END) > logLimitBytes) {
        [[maybe_unused]] const int truncated = ::ftruncate(log.fd.get(), 0);
    }
    return std::move(log.fd);
}

// The socket file of a daemon that has ended stays behind; it is ours to replace. Anything else
// at that path is left alone.
std::string clearSocketPath(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? std::string()
                               : withErrno("Could not check " + path.string(), errno);
    }
    if (!S_ISSOCK(info.st_mode)) {
        return "Could not start the helper: " + path.string() +
               " is not a socket, so it was left in place.";
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        return withErrno("Could not remove the helper's old socket", errno);
    }
    return {};
}

HelperSocket startAndConnect(const HelperSite& site, const std::function<bool()>& cancelled) {
    const StartLock lock(site.directory / lockFileName, site, cancelled);
    if (!lock.problem().empty()) {
        return failed(lock.problem());
    }
    const std::filesystem::path socketPath = site.directory / socketFileName;
    int error = 0;
    // Whoever held the lock before us may have started it already.
    if (UniqueFd fd = connectSeqpacket(socketPath, &error, site.deadlineSeconds);
        fd || !nobodyListens(error)) {
        return connected(std::move(fd), error, site);
    }
    if (std::string problem = clearSocketPath(socketPath); !problem.empty()) {
        return failed(std::move(problem));
    }
    UniqueFd listener = listenSeqpacket(socketPath, &error);
    if (!listener) {
        return failed(withErrno("Could not create the helper's socket", error));
    }
    std::vector<std::string> environment = {"ORVANE_SIM_DIR=" + site.directory.string()};
    environment.insert(environment.end(), site.environment.begin(), site.environment.end());
    const UniqueFd log = openHelperLog(site.directory / helperLogFileName);
    const Launch launch = launchActivated(site.helperPath, listener.get(), environment, log.get());
    listener.reset();
    if (launch.pid < 0) {
        ::unlink(socketPath.c_str());
        return failed(
            withErrno("Could not start the helper " + site.helperPath.string(), launch.error));
    }
    HelperSocket socket =
        connected(connectSeqpacket(socketPath, &error, site.deadlineSeconds), error, site);
    socket.started = true;
    return socket;
}

} // namespace

HelperSocket connectToHelper(const HelperSite& site, const std::function<bool()>& cancelled) {
    if (const long status = readServiceStatus(site.directory); status != serviceEnabled) {
        return failed(notEnabled(status));
    }
    int error = 0;
    UniqueFd fd = connectSeqpacket(site.directory / socketFileName, &error, site.deadlineSeconds);
    HelperSocket socket = !fd && nobodyListens(error) ? startAndConnect(site, cancelled)
                                                      : connected(std::move(fd), error, site);
    if (!socket.fd) {
        return socket;
    }
    // The stand-in for the code-signing requirement: only our own user's daemon is trusted. With
    // socket activation the kernel names whoever created the listening socket: the client that
    // started the daemon (checked the same way), or the daemon itself when it listens on its own.
    const auto uid = peerUid(socket.fd.get());
    if (!uid) {
        return failed("The helper's user could not be checked, so the connection was refused.");
    }
    if (*uid != ::geteuid()) {
        return failed("The helper runs as another user, so the connection was refused.");
    }
    return socket;
}

} // namespace orvane::sim
