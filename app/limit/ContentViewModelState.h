#pragma once

// The inside of ContentViewModel, shared by the files that implement it. Not for the views.

#include <tuple>
#include <utility>

#include "app/limit/ContentViewModel.h"
#include "app/limit/LimitTexts.h"

namespace orvane {

struct ContentViewModel::State {
    explicit State(ContentServices s)
        : services(s)
        , vramLog(s.log, texts::vramCategory)
        , appLog(s.log, texts::appCategory)
        , changes(s.changesInFlight ? *s.changesInFlight : ownChanges) {}

    ContentServices services;
    Logger vramLog;
    Logger appLog;
    ChangeInFlight ownChanges;
    // The change under way, shared with every opening; its progress sentence is busyMessage.
    ChangeInFlight& changes;

    // The view that renders this state; none once the view's model is gone.
    std::function<void()> observer;
    int changeDepth = 0;
    std::optional<MainQueue::TimerId> approvalTimer;

    // The fields a view renders. The two persisted ones live in the user defaults.
    struct Fields {
        double totalRAMGB = 0.0;
        double currentVRAMGB = 0.0;
        std::optional<double> selectedVRAMGB;
        bool launchAtLogin = false;
        double customAllocation = 0.0;
        bool showingUpdateSettings = false;
        bool showMoreSettings = false;
        std::optional<std::string> vramError;
        HelperManager::State helperState = HelperManager::State::off;
        std::optional<std::int64_t> helperOfferMB;
        std::optional<std::int64_t> waitingForApprovalMB;

        friend bool operator==(const Fields&, const Fields&) = default;
    } fields;

    bool storedFlag(std::string_view key) const {
        return services.defaults.boolValue(key).value_or(false);
    }

    auto snapshot() const {
        return std::make_tuple(
            fields, changes.busyMessage(), storedFlag(texts::helperOfferShownKey),
            storedFlag(texts::enableFunModeKey), storedFlag(texts::keepLimitAfterRestartKey));
    }
};

// Brackets one entry into the model. When the outermost entry ends and the rendered state differs
// from how it began, the observer runs, once, as the very last thing.
class ContentViewModel::Change {
public:
    explicit Change(const ContentViewModel& model) : state_(model.state_) {
        if (state_->changeDepth++ == 0) {
            before_ = state_->snapshot();
        }
    }
    ~Change() {
        if (--state_->changeDepth > 0) {
            return;
        }
        if (before_ != state_->snapshot() && state_->observer) {
            // A copy: the observer may replace itself, or even end the view's model.
            const auto observer = state_->observer;
            observer();
        }
    }
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;

private:
    std::shared_ptr<State> state_; // kept while the entry runs, whatever happens to the model
    std::optional<decltype(std::declval<const State&>().snapshot())> before_;
};

template <typename Body>
auto ContentViewModel::later(Body body) {
    return [state = state_, body = std::move(body)](auto&&... args) {
        ContentViewModel view(Copy{}, state);
        const Change change(view);
        body(view, std::forward<decltype(args)>(args)...);
    };
}

} // namespace orvane
