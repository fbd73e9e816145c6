#include "platform/sim/helperlink/HelperStarter.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/sim/HelperLauncher.h"
#include "platform/sim/Seqpacket.h"
#include "platform/sim/SimDirectory.h"
#include "platform/sim/helperlink/ServiceRecord.h"
#include "shared/ErrnoText.h"

namespace orvane::sim {

namespace {

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

HelperSocket connected(UniqueFd fd, int error) {
    if (!fd) {
        return failed(withErrno("Could not connect to the helper", error));
    }
    return {std::move(fd), {}};
}

bool nobodyListens(int error) {
    return error == ECONNREFUSED || error == ENOENT;
}

// Holds an exclusive flock until destroyed. The lock is released explicitly, because a process
// forked meanwhile may still hold a copy of the descriptor.
class StartLock {
public:
    explicit StartLock(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (!fd_) {
            error_ = errno;
            return;
        }
        while (::flock(fd_.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                error_ = errno;
                fd_.reset();
                return;
            }
        }
    }
    ~StartLock() {
        if (fd_) {
            ::flock(fd_.get(), LOCK_UN);
        }
    }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

    int error() const { return error_; }

private:
    UniqueFd fd_;
    int error_ = 0;
};

HelperSocket startAndConnect(const HelperSite& site) {
    const StartLock lock(site.directory / lockFileName);
    if (lock.error() != 0) {
        return failed(withErrno("Could not take the lock for starting the helper", lock.error()));
    }
    const std::filesystem::path socketPath = site.directory / socketFileName;
    int error = 0;
    // Whoever held the lock before us may have started it already.
    if (UniqueFd fd = connectSeqpacket(socketPath, &error); fd || !nobodyListens(error)) {
        return connected(std::move(fd), error);
    }
    // The socket file of a daemon that has ended stays behind; it is ours to replace.
    ::unlink(socketPath.c_str());
    UniqueFd listener = listenSeqpacket(socketPath, &error);
    if (!listener) {
        return failed(withErrno("Could not create the helper's socket", error));
    }
    std::vector<std::string> environment = {"ORVANE_SIM_DIR=" + site.directory.string()};
    environment.insert(environment.end(), site.environment.begin(), site.environment.end());
    const Launch launch = launchActivated(site.helperPath, listener.get(), environment,
                                          site.directory / helperLogFileName);
    listener.reset();
    if (launch.pid < 0) {
        ::unlink(socketPath.c_str());
        return failed(
            withErrno("Could not start the helper " + site.helperPath.string(), launch.error));
    }
    UniqueFd fd = connectSeqpacket(socketPath, &error);
    return connected(std::move(fd), error);
}

} // namespace

HelperSocket connectToHelper(const HelperSite& site) {
    if (const long status = readServiceStatus(site.directory); status != serviceEnabled) {
        return failed(notEnabled(status));
    }
    int error = 0;
    UniqueFd fd = connectSeqpacket(site.directory / socketFileName, &error);
    HelperSocket socket =
        !fd && nobodyListens(error) ? startAndConnect(site) : connected(std::move(fd), error);
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
