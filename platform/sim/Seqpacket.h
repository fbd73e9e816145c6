#pragma once

#include <filesystem>
#include <optional>
#include <sys/types.h>

#include "platform/sim/UniqueFd.h"

// The local socket that stands in for the helper's Mach service: AF_UNIX, SOCK_SEQPACKET, so that
// every request and reply arrives as one whole packet.
namespace orvane::sim {

// A listening socket bound to path. The path must not exist. On failure the fd is empty and
// *error holds the errno.
UniqueFd listenSeqpacket(const std::filesystem::path& path, int* error);

// A blocking connection to path. On failure the fd is empty and *error holds the errno. With a
// timeout, connecting to a full backlog gives up after it (EAGAIN), and so does every later send
// and receive on the socket.
UniqueFd connectSeqpacket(const std::filesystem::path& path, int* error,
                          double timeoutSeconds = 0.0);

// The user id of the process at the other end, captured by the kernel when it connected.
std::optional<uid_t> peerUid(int fd);

} // namespace orvane::sim
