#include "tests/support/DaemonHarness.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include "platform/sim/HelperLauncher.h"
#include "platform/sim/Seqpacket.h"

namespace orvane::test {

pid_t startDaemon(const SimDir& dir, double idleTimeoutSeconds,
                  const std::filesystem::path& executable) {
    // Orphaned daemons come back to us, so that their exit status can be collected.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    int error = 0;
    std::filesystem::remove(dir.socketPath());
    sim::UniqueFd listener = sim::listenSeqpacket(dir.socketPath(), &error);
    if (!listener) {
        return -1;
    }
    // Opened as is: a test may put a FIFO here on purpose, to hold the daemon in a log write.
    const sim::UniqueFd log(
        ::open((dir / "daemon.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600));
    const sim::Launch launch =
        sim::launchActivated(executable, listener.get(),
                             {"ORVANE_SIM_DIR=" + dir.path().string(),
                              "ORVANE_HELPER_IDLE_TIMEOUT=" + std::to_string(idleTimeoutSeconds)},
                             log.get());
    return launch.pid;
}

std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds timeout) {
    int status = 0;
    pid_t result = 0;
    eventually([&] { return (result = ::waitpid(pid, &status, WNOHANG)) != 0; }, timeout);
    if (result != pid) {
        return std::nullopt;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void DaemonTest::TearDown() {
    if (pid > 0 && ::waitpid(pid, nullptr, WNOHANG) == 0) { // still running, not yet reaped
        ::kill(pid, SIGKILL);
        waitForExit(pid, 5s);
    }
}

std::filesystem::path daemonWrapper(const TempDir& folder, const std::string& prelude,
                                    const std::string& runner) {
    const std::string name = "OrvaneHelperWrapper";
    folder.write(name,
                 "#!/bin/sh\n" + prelude + "\nexec " + runner + " '" ORVANE_HELPER_PATH "'\n");
    std::filesystem::permissions(folder / name, std::filesystem::perms::owner_all);
    return folder / name;
}

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

std::size_t openDescriptorCount(pid_t pid) {
    std::error_code ec;
    const std::filesystem::directory_iterator fds("/proc/" + std::to_string(pid) + "/fd", ec);
    return ec ? 0 : static_cast<std::size_t>(std::distance(fds, {}));
}

std::vector<pid_t> daemonsServing(const SimDir& dir) {
    std::vector<pid_t> found;
    const std::string mark = "ORVANE_SIM_DIR=" + dir.path().string() + '\0';
    for (const auto& process : std::filesystem::directory_iterator("/proc")) {
        std::error_code gone; // not a process, or one already gone
        if (std::filesystem::read_symlink(process.path() / "exe", gone).filename() ==
                "OrvaneHelper" &&
            readFile(process.path() / "environ").find(mark) != std::string::npos) {
            found.push_back(std::stoi(process.path().filename()));
        }
    }
    return found;
}

RawClient::RawClient(const std::filesystem::path& socketPath) {
    int error = 0;
    fd_ = sim::connectSeqpacket(socketPath, &error);
}

bool RawClient::send(std::span<const std::uint8_t> bytes) {
    return ::send(fd_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
}

bool RawClient::closedByPeer(std::chrono::milliseconds timeout) {
    pollfd ready{fd_.get(), POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(timeout.count())) != 1) {
        return false;
    }
    std::uint8_t byte = 0;
    const ssize_t n = ::recv(fd_.get(), &byte, 1, MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno == ECONNRESET);
}

std::optional<std::int64_t> RawClient::reply(wire::Operation operation,
                                             std::chrono::milliseconds timeout) {
    pollfd ready{fd_.get(), POLLIN, 0};
    std::array<std::uint8_t, wire::packetSize + 1> buffer{}; // a longer packet shows as such
    const ssize_t n = ::poll(&ready, 1, static_cast<int>(timeout.count())) == 1
                          ? ::recv(fd_.get(), buffer.data(), buffer.size(), 0)
                          : -1;
    const auto decoded =
        n > 0 ? wire::decode({buffer.data(), static_cast<std::size_t>(n)}) : wire::Decoded{};
    if (!decoded.message || decoded.message->operation != operation) {
        return std::nullopt;
    }
    return decoded.message->value;
}

std::optional<std::int64_t> RawClient::ask(wire::Operation operation, std::int64_t value) {
    return send(wire::encode({operation, value})) ? reply(operation) : std::nullopt;
}

DoubleServer::DoubleServer(const SimDir& dir, Answer answer) {
    std::filesystem::remove(dir.socketPath());
    int error = 0;
    listener_ = sim::listenSeqpacket(dir.socketPath(), &error);
    thread_ = std::thread([this, answer] {
        const sim::UniqueFd client(::accept4(listener_.get(), nullptr, nullptr, 0));
        wire::Packet packet{};
        while (::recv(client.get(), packet.data(), packet.size(), 0) == wire::packetSize) {
            const wire::Message request = *wire::decode(packet).message;
            const auto value = answer(request);
            if (!value) {
                break;
            }
            packet = wire::encode({request.operation, *value});
            ::send(client.get(), packet.data(), packet.size(), MSG_NOSIGNAL);
        }
    });
}

DoubleServer::~DoubleServer() {
    ::shutdown(listener_.get(), SHUT_RDWR);
    thread_.join(); // started in the constructor, it ends once the listener is shut down
}

} // namespace orvane::test
