#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/sim/UniqueFd.h"
#include "shared/WireFormat.h"

namespace orvane::test {

// A stand-in daemon for tests: it listens on the helper's socket and answers each request as the
// test says, one connection at a time. No answer closes that connection without a reply.
class DoubleServer {
public:
    using Answer =
        std::function<std::optional<std::int64_t>(const wire::Message& request, int connection)>;

    DoubleServer(const std::filesystem::path& socketPath, Answer answer);
    ~DoubleServer();
    DoubleServer(const DoubleServer&) = delete;
    DoubleServer& operator=(const DoubleServer&) = delete;

    std::vector<wire::Message> received() const;

private:
    void serve();
    void converse(int fd, int connection);
    bool readable(int fd) const;

    sim::UniqueFd listener_;
    Answer answer_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<wire::Message> received_;
    std::thread thread_;
};

} // namespace orvane::test
