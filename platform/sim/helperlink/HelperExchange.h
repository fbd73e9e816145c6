#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/sim/UniqueFd.h"
#include "platform/sim/helperlink/HelperSite.h"
#include "platform/sim/helperlink/HelperStarter.h"
#include "shared/WireFormat.h"

namespace orvane::sim {

// The socket work of one connection, done on its worker thread: it connects on the first request
// and then sends each request and waits for its reply, each wait bounded by the site's deadline.
// A daemon that refuses the connection right after a start, or closes it before any reply while
// nothing but the version was asked, was most likely exiting idle just as we came: the connection
// is made once more. After any other failure every request fails with the same description.
class HelperExchange {
public:
    // Where the exchange announces its socket, so that invalidation can shut it down and unblock
    // the worker, and learns of that invalidation.
    class SocketSlot {
    public:
        // False when the connection is invalidated and the socket must not be used.
        virtual bool publish(int fd) = 0;
        virtual void withdraw() = 0;
        virtual bool cancelled() = 0;

    protected:
        ~SocketSlot() = default;
    };

    struct Outcome {
        std::optional<std::int64_t> value; // the reply, when one came
        std::string problem;               // else why not, as a sentence
    };

    // How a connection is made; connectToHelper but in tests.
    using Connect = std::function<HelperSocket(const HelperSite&, const std::function<bool()>&)>;

    HelperExchange(HelperSite site, SocketSlot& slot, Connect connect = connectToHelper)
        : site_(std::move(site))
        , slot_(slot)
        , connect_(std::move(connect)) {}

    Outcome exchange(const wire::Message& request);
    void close();

private:
    Outcome fail(std::string problem);
    bool mayRetry() const;

    HelperSite site_;
    SocketSlot& slot_;
    Connect connect_;
    UniqueFd fd_;
    std::string failure_;
    bool answered_ = false;
    bool limitSent_ = false;
    int retries_ = 0;
};

} // namespace orvane::sim
