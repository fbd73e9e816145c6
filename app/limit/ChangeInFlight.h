#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// The one change of the limit under way in the process, whichever opening of the popover started
// it. A popover opened while it runs shows it in flight (its progress sentence, the controls
// locked) until its road ends, and starts no second one meanwhile. Main thread only.
class ChangeInFlight {
public:
    // What a road's owner is known by: the state of the opening that started it.
    using Road = const void*;
    // Told after every step of a road: whose road it is, and, when it has ended, the error
    // sentence it ended with (none for a success).
    using Watcher = std::function<void(Road road, const std::optional<std::string>* endedWith)>;

    // The progress sentence while a road runs ("Applying…"), else none.
    const std::optional<std::string>& busyMessage() const { return busyMessage_; }

    // A road begins, or moves on to another step, with its progress sentence.
    void show(Road road, std::string busyMessage);
    // The road has ended, with the error sentence it ended with, if any.
    void end(Road road, const std::optional<std::string>& error);

    // Watches until the returned token is released.
    [[nodiscard]] std::shared_ptr<void> watch(Watcher watcher);

private:
    void tell(Road road, const std::optional<std::string>* endedWith);

    std::optional<std::string> busyMessage_;
    std::vector<std::weak_ptr<Watcher>> watchers_;
};

} // namespace orvane
