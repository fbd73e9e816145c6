#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/sim/SimDirectory.h"
#include "platform/sim/UniqueFd.h"
#include "shared/WireFormat.h"
#include "tests/support/TempDir.h"

namespace orvane::test {

using namespace std::chrono_literals;

// A sim directory for one test: the limit at 0 and a 16 GB machine, unless told otherwise.
class SimDir : public TempDir {
public:
    explicit SimDir(std::uint64_t memoryBytes = 17179869184ULL) {
        write(sim::limitFileName, "0\n");
        write(sim::memsizeFileName, std::to_string(memoryBytes) + "\n");
    }
    std::filesystem::path socketPath() const { return path() / sim::socketFileName; }
    std::string limit() const { return read(sim::limitFileName); } // the stand-in variable
    // daemon.log, where startDaemon sends the daemon's log.
    std::string logText() const { return read("daemon.log"); }
};

// Starts the real OrvaneHelper (or what stands in front of it, such as a wrapper script that execs
// it) by socket activation on the sim directory's socket, with its log in the directory's log
// file. Returns the daemon's pid, or -1.
pid_t startDaemon(const SimDir& dir, double idleTimeoutSeconds = 10.0,
                  const std::filesystem::path& executable = ORVANE_HELPER_PATH);

// Waits for a daemon started here to exit; its exit status, or none on timeout.
std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds timeout);

std::size_t openDescriptorCount(pid_t pid);

// The live OrvaneHelper processes serving the sim directory, however they were started.
std::vector<pid_t> daemonsServing(const SimDir& dir);

// A shell script that prepares the process and then becomes the daemon: exec keeps the pid that
// socket activation announced. prelude runs first ("ulimit -f 0"); runner goes before the
// daemon's path on the exec line ("valgrind -q").
std::filesystem::path daemonWrapper(const TempDir& folder, const std::string& prelude,
                                    const std::string& runner = "");

// Polls until done() holds, for at most the timeout.
bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s);

// One daemon on the test's own sim directory, killed at the end if it still runs.
class DaemonTest : public ::testing::Test {
protected:
    void start(double idleTimeoutSeconds = 10.0,
               const std::filesystem::path& executable = ORVANE_HELPER_PATH) {
        pid = startDaemon(dir, idleTimeoutSeconds, executable);
        ASSERT_GT(pid, 0);
    }
    void TearDown() override;

    SimDir dir;
    pid_t pid = -1;
};

// One connection to the daemon, speaking raw packets.
class RawClient {
public:
    explicit RawClient(const std::filesystem::path& socketPath);

    bool send(std::span<const std::uint8_t> bytes);
    // The value of the next packet when it is a well-formed reply to the operation; none when the
    // daemon closed the connection or nothing came in time.
    std::optional<std::int64_t> reply(wire::Operation operation,
                                      std::chrono::milliseconds timeout = 5s);
    // True when the daemon closed the connection (without sending anything first).
    bool closedByPeer(std::chrono::milliseconds timeout = 5s);
    void close() { fd_.reset(); }

    // A request, answered by its reply's value; the version query and the set-limit.
    std::optional<std::int64_t> ask(wire::Operation operation, std::int64_t value);
    std::optional<std::int64_t> protocolVersion() {
        return ask(wire::Operation::protocolVersion, 0);
    }
    std::optional<std::int64_t> setWiredLimit(std::int64_t megabytes) {
        return ask(wire::Operation::setWiredLimit, megabytes);
    }

private:
    sim::UniqueFd fd_;
};

// A stand-in daemon for one connection on the sim directory's socket, answering each request as
// the test says; no answer ends the connection unanswered.
class DoubleServer {
public:
    using Answer = std::function<std::optional<std::int64_t>(const wire::Message&)>;

    DoubleServer(const SimDir& dir, Answer answer);
    ~DoubleServer();

private:
    sim::UniqueFd listener_;
    std::thread thread_;
};

} // namespace orvane::test
