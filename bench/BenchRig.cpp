#include "bench/BenchRig.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>

#include "platform/sim/HelperLauncher.h"
#include "platform/sim/Seqpacket.h"
#include "platform/sim/SimDirectory.h"
#include "shared/WireFormat.h"

namespace orvane::bench {

SimRig::SimRig() {
    const char* parent = std::getenv("ORVANE_BENCH_DIR");
    std::string pattern = std::string(parent && *parent ? parent : "/tmp") + "/orv-bench-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
    std::ofstream(path_ / sim::limitFileName) << "0\n";
    std::ofstream(path_ / sim::memsizeFileName) << "17179869184\n";
    std::ofstream(path_ / sim::statusFileName) << "1\n";
}

SimRig::~SimRig() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path SimRig::socket() const {
    return path_ / sim::socketFileName;
}

pid_t startDaemon(const SimRig& rig, const std::filesystem::path& executable) {
    int error = 0;
    const sim::UniqueFd listener = sim::listenSeqpacket(rig.socket(), &error);
    if (!listener) {
        return -1;
    }
    const sim::UniqueFd log(::open((rig.path() / sim::helperLogFileName).c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600));
    return sim::launchActivated(
               executable, listener.get(),
               {"ORVANE_SIM_DIR=" + rig.path().string(), "ORVANE_HELPER_IDLE_TIMEOUT=3600"},
               log.get())
        .pid;
}

void stop(pid_t pid) {
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

bool exchange(int fd, std::int64_t operation, std::int64_t value, std::int64_t expected) {
    const wire::Packet request = wire::encode({static_cast<wire::Operation>(operation), value});
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != wire::packetSize) {
        return false;
    }
    wire::Packet reply{};
    if (::recv(fd, reply.data(), reply.size(), 0) != wire::packetSize) {
        return false;
    }
    const wire::Decoded decoded = wire::decode(reply);
    return decoded.message && decoded.message->value == expected;
}

void WaitingQueue::post(Task task) {
    {
        const std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    posted_.notify_one();
}

void WaitingQueue::runUntil(const std::function<bool()>& done) {
    while (!done()) {
        std::unique_lock lock(mutex_);
        posted_.wait(lock, [this] { return !tasks_.empty(); });
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
    }
}

} // namespace orvane::bench
