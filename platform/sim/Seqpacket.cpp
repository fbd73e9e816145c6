#include "platform/sim/Seqpacket.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>

namespace orvane::sim {

namespace {

bool makeAddress(const std::filesystem::path& path, sockaddr_un& address) {
    const std::string& text = path.native();
    address = {};
    address.sun_family = AF_UNIX;
    if (text.empty() || text.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return true;
}

// A fresh seqpacket socket and the address of path, or the errno of what went wrong.
UniqueFd makeSocket(const std::filesystem::path& path, sockaddr_un& address, int* error) {
    if (!makeAddress(path, address)) {
        *error = ENAMETOOLONG;
        return {};
    }
    UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (!fd) {
        *error = errno;
    }
    return fd;
}

} // namespace

UniqueFd listenSeqpacket(const std::filesystem::path& path, int* error) {
    sockaddr_un address{};
    UniqueFd fd = makeSocket(path, address, error);
    if (!fd) {
        return {};
    }
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd.get(), SOMAXCONN) != 0) {
        *error = errno;
        return {};
    }
    return fd;
}

UniqueFd connectSeqpacket(const std::filesystem::path& path, int* error, double timeoutSeconds) {
    sockaddr_un address{};
    UniqueFd fd = makeSocket(path, address, error);
    if (!fd) {
        return {};
    }
    if (timeoutSeconds > 0.0) {
        const auto whole = static_cast<long>(timeoutSeconds);
        const timeval timeout{
            whole, static_cast<long>((timeoutSeconds - static_cast<double>(whole)) * 1e6)};
        if (::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) != 0 ||
            ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0) {
            *error = errno;
            return {};
        }
    }
    int result = 0;
    do {
        result = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        *error = errno;
        return {};
    }
    return fd;
}

std::optional<uid_t> peerUid(int fd) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 ||
        length != sizeof credentials) {
        return std::nullopt;
    }
    return credentials.uid;
}

} // namespace orvane::sim
