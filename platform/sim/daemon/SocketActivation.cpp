#include "platform/sim/daemon/SocketActivation.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/sim/SimDirectory.h"

namespace orvane::sim {

namespace {

constexpr int firstActivatedFd = 3;

} // namespace

ActivatedListener takeActivatedListener() {
    const char* pidText = std::getenv("LISTEN_PID");
    const char* countText = std::getenv("LISTEN_FDS");
    const auto pid = pidText ? parseInteger(pidText) : std::nullopt;
    const auto count = countText ? parseInteger(countText) : std::nullopt;
    ::unsetenv("LISTEN_PID");
    ::unsetenv("LISTEN_FDS");
    ::unsetenv("LISTEN_FDNAMES");

    if (!pid || !count || *pid != ::getpid()) {
        return {};
    }
    if (*count != 1) {
        return {UniqueFd(), "expected exactly one activated socket"};
    }
    const int fd = firstActivatedFd;
    int type = 0;
    int listening = 0;
    socklen_t length = sizeof type;
    if (::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_SEQPACKET) {
        return {UniqueFd(), "the activated descriptor is not a seqpacket socket"};
    }
    length = sizeof listening;
    if (::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &length) != 0 || !listening) {
        return {UniqueFd(), "the activated socket is not listening"};
    }
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    return {UniqueFd(fd), {}};
}

} // namespace orvane::sim
