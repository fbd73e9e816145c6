// One change as the application makes it: connect, ask the version, set the limit, hear the reply.
// Beside it the floor: the same two exchanges with a bare echo server, the least any process on
// this machine can spend on them.

#include <benchmark/benchmark.h>
#include <cerrno>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/helperlink/HelperManager.h"
#include "bench/BenchRig.h"
#include "platform/sim/Seqpacket.h"
#include "platform/sim/helperlink/SimHelperTransport.h"
#include "platform/sim/helperlink/SimServiceManager.h"
#include "shared/WireFormat.h"

namespace orvane::bench {
namespace {

constexpr std::int64_t setLimit = 1;
constexpr std::int64_t protocolVersion = 2;

// A process that answers every packet with the packet itself, one client after another.
pid_t startEcho(const std::filesystem::path& socket) {
    int error = 0;
    sim::UniqueFd listener = sim::listenSeqpacket(socket, &error);
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (;;) {
            const sim::UniqueFd client(::accept(listener.get(), nullptr, nullptr));
            std::uint8_t packet[64];
            for (ssize_t n; (n = ::recv(client.get(), packet, sizeof packet, 0)) > 0;) {
                ::send(client.get(), packet, static_cast<std::size_t>(n), MSG_NOSIGNAL);
            }
        }
    }
    return pid;
}

void echoRoundTrip(benchmark::State& state) {
    const SimRig rig;
    const pid_t echo = startEcho(rig.path() / "echo.sock");
    int error = 0;
    for (auto _ : state) {
        const sim::UniqueFd fd = sim::connectSeqpacket(rig.path() / "echo.sock", &error);
        // The echo answers each packet with itself, so the reply's value is the request's.
        if (!exchange(fd.get(), protocolVersion, 0, 0) ||
            !exchange(fd.get(), setLimit, 12288, 12288)) {
            state.SkipWithError("the echo server did not answer");
            break;
        }
    }
    stop(echo);
}
BENCHMARK(echoRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

void warmHelperRoundTrip(benchmark::State& state) {
    const SimRig rig;
    const pid_t daemon = startDaemon(rig, ORVANE_HELPER_PATH);
    int error = 0;
    std::int64_t megabytes = 12288;
    for (auto _ : state) {
        const sim::UniqueFd fd = sim::connectSeqpacket(rig.socket(), &error);
        megabytes = megabytes == 12288 ? 13312 : 12288; // every request really writes
        if (!exchange(fd.get(), protocolVersion, 0, 1) ||
            !exchange(fd.get(), setLimit, megabytes, 0)) {
            state.SkipWithError("the daemon did not answer");
            break;
        }
    }
    stop(daemon);
}
BENCHMARK(warmHelperRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A crowd connects at once and every client asks the version, then sets a limit, before any of
// them reads its answer: the time until the last one has both.
void crowdAtOnce(benchmark::State& state) {
    const SimRig rig;
    const pid_t daemon = startDaemon(rig, ORVANE_HELPER_PATH);
    const auto size = static_cast<std::size_t>(state.range(0));
    const wire::Packet version = wire::encode({wire::Operation::protocolVersion, 0});
    const wire::Packet set = wire::encode({wire::Operation::setWiredLimit, 12288});
    const auto everyone = [&](const std::vector<sim::UniqueFd>& crowd, const wire::Packet& ask) {
        for (const auto& fd : crowd) {
            ::send(fd.get(), ask.data(), ask.size(), MSG_NOSIGNAL);
        }
        bool answered = true;
        for (const auto& fd : crowd) {
            wire::Packet reply{};
            answered =
                ::recv(fd.get(), reply.data(), reply.size(), 0) == wire::packetSize && answered;
        }
        return answered;
    };
    for (auto _ : state) {
        std::vector<sim::UniqueFd> crowd;
        int error = 0;
        for (std::size_t i = 0; i < size; ++i) {
            crowd.push_back(sim::connectSeqpacket(rig.socket(), &error));
        }
        if (!everyone(crowd, version) || !everyone(crowd, set)) {
            state.SkipWithError("a client was not answered (descriptor limit?)");
            break;
        }
        state.PauseTiming();
        crowd.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    stop(daemon);
}
BENCHMARK(crowdAtOnce)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole of HelperManager::setLimit: the registration read, the connection's worker thread,
// the version check, the limit and the completion back on the main queue.
struct ManagerRig {
    explicit ManagerRig(std::vector<std::string> environment)
        : service(rig.path(), sim::Caller::application)
        , transport(rig.path(), ORVANE_HELPER_PATH, std::move(environment)) {}

    bool setLimit(std::int64_t megabytes) {
        std::optional<HelperManager::SetResult> result;
        manager.setLimit(megabytes, [&result](HelperManager::SetResult r) { result = r; });
        queue.runUntil([&result] { return result.has_value(); });
        return result == HelperManager::SetResult::success;
    }

    SimRig rig;
    sim::SimServiceManager service;
    sim::SimHelperTransport transport;
    WaitingQueue queue;
    NullLog log;
    HelperManager manager{service, transport, queue, log};
};

void warmHelperManagerSetLimit(benchmark::State& state) {
    ManagerRig rig({});
    const pid_t daemon = startDaemon(rig.rig, ORVANE_HELPER_PATH);
    std::int64_t megabytes = 12288;
    for (auto _ : state) {
        megabytes = megabytes == 12288 ? 13312 : 12288;
        if (!rig.setLimit(megabytes)) {
            state.SkipWithError("the change did not succeed");
            break;
        }
    }
    stop(daemon);
}
BENCHMARK(warmHelperManagerSetLimit)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Nothing is running: the request finds no daemon, starts one by socket activation and is
// served by it. Between iterations, untimed, that daemon exits idle and is collected.
void coldHelperManagerSetLimit(benchmark::State& state) {
    ManagerRig rig({"ORVANE_HELPER_IDLE_TIMEOUT=0.01"});
    for (auto _ : state) {
        if (!rig.setLimit(12288)) {
            state.SkipWithError("the change did not succeed");
            break;
        }
        state.PauseTiming();
        while (::waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
        }
        state.ResumeTiming();
    }
}

BENCHMARK(coldHelperManagerSetLimit)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace orvane::bench

int main(int argc, char** argv) {
    // Daemons leave their starter behind; as our children they can be collected.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    // Room for a crowd of clients, and for the daemons started here, which inherit it.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
