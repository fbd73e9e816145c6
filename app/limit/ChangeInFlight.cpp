#include "app/limit/ChangeInFlight.h"

#include <algorithm>

namespace orvane {

void ChangeInFlight::show(Road road, std::string busyMessage) {
    busyMessage_ = std::move(busyMessage);
    tell(road, nullptr);
}

void ChangeInFlight::end(Road road, const std::optional<std::string>& error) {
    busyMessage_.reset();
    tell(road, &error);
}

std::shared_ptr<void> ChangeInFlight::watch(Watcher watcher) {
    auto kept = std::make_shared<Watcher>(std::move(watcher));
    std::erase_if(watchers_, [](const std::weak_ptr<Watcher>& gone) { return gone.expired(); });
    watchers_.push_back(kept);
    return kept;
}

void ChangeInFlight::tell(Road road, const std::optional<std::string>* endedWith) {
    // A copy: a watcher may open or close a popover, and so watch or stop watching.
    const std::vector<std::weak_ptr<Watcher>> watchers = watchers_;
    for (const std::weak_ptr<Watcher>& weak : watchers) {
        if (const std::shared_ptr<Watcher> watcher = weak.lock()) {
            (*watcher)(road, endedWith);
        }
    }
}

} // namespace orvane
