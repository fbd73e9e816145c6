#include "app/limit/ContentViewModel.h"

#include "app/limit/ContentViewModelState.h"
#include "app/limit/GpuMemoryFigures.h"
#include "app/limit/KeptLimit.h"
#include "app/limit/Presets.h"
#include "app/limit/Sizes.h"
#include "app/limit/VramReader.h"
#include "shared/RangeRule.h"

namespace orvane {

ContentViewModel::ContentViewModel(ContentServices services)
    : state_(std::make_shared<State>(services)) {
    auto& f = state_->fields;
    f.totalRAMGB = totalGigabytes(services.memory.bytes());
    f.helperState = services.helperManager.state();
    f.launchAtLogin = services.loginItem.isEnabled();
    watchingChanges_ = state_->changes.watch(
        [weak = std::weak_ptr<State>(state_)](ChangeInFlight::Road road,
                                              const std::optional<std::string>* endedWith) {
            const std::shared_ptr<State> state = weak.lock();
            // This opening's own road shows through its own entries.
            if (!state || road == state.get()) {
                return;
            }
            if (endedWith) {
                // The road of an earlier opening has ended: this one says how, and shows the limit
                // it left.
                ContentViewModel view(Copy{}, state);
                state->fields.vramError = *endedWith;
                const double value = view.readVRAMGB();
                state->fields.currentVRAMGB = value;
                state->fields.selectedVRAMGB = value;
            }
            if (state->observer) {
                const auto observer = state->observer;
                observer();
            }
        });
}

ContentViewModel::ContentViewModel(Copy, std::shared_ptr<State> state)
    : state_(std::move(state))
    , copy_(true) {}

ContentViewModel::~ContentViewModel() {
    if (copy_) {
        return;
    }
    // No view shows this state any more; the ticks belong to an open popover.
    state_->observer = nullptr;
    stopApprovalTimer();
}

void ContentViewModel::setObserver(std::function<void()> observer) {
    state_->observer = std::move(observer);
}

// --- state -------------------------------------------------------------------------------------

double ContentViewModel::totalRAMGB() const {
    return state_->fields.totalRAMGB;
}
double ContentViewModel::currentVRAMGB() const {
    return state_->fields.currentVRAMGB;
}
std::optional<double> ContentViewModel::selectedVRAMGB() const {
    return state_->fields.selectedVRAMGB;
}
bool ContentViewModel::launchAtLogin() const {
    return state_->fields.launchAtLogin;
}
double ContentViewModel::customAllocation() const {
    return state_->fields.customAllocation;
}
bool ContentViewModel::showingUpdateSettings() const {
    return state_->fields.showingUpdateSettings;
}
bool ContentViewModel::showMoreSettings() const {
    return state_->fields.showMoreSettings;
}
const std::optional<std::string>& ContentViewModel::vramError() const {
    return state_->fields.vramError;
}
const std::optional<std::string>& ContentViewModel::busyMessage() const {
    return state_->changes.busyMessage();
}
HelperManager::State ContentViewModel::helperState() const {
    return state_->fields.helperState;
}
std::optional<std::int64_t> ContentViewModel::helperOfferMB() const {
    return state_->fields.helperOfferMB;
}
std::optional<std::int64_t> ContentViewModel::waitingForApprovalMB() const {
    return state_->fields.waitingForApprovalMB;
}
bool ContentViewModel::helperOfferShown() const {
    return state_->storedFlag(texts::helperOfferShownKey);
}
bool ContentViewModel::enableFunMode() const {
    return state_->storedFlag(texts::enableFunModeKey);
}
bool ContentViewModel::keepLimitAfterRestart() const {
    return state_->storedFlag(texts::keepLimitAfterRestartKey);
}

// --- the model ---------------------------------------------------------------------------------

double ContentViewModel::readVRAMGB() {
    return orvane::readVRAMGB(state_->services.kernel, state_->services.defaults, state_->vramLog);
}

void ContentViewModel::refreshVRAM() {
    const Change change(*this);
    const double value = readVRAMGB();
    state_->fields.currentVRAMGB = value;
    state_->fields.selectedVRAMGB = value;
    updateStatusIcon();
}

void ContentViewModel::scheduleRefresh() {
    state_->services.mainQueue.after(1.0,
                                     later([](ContentViewModel& view) { view.refreshVRAM(); }));
}

void ContentViewModel::onPopoverAppear() {
    const Change change(*this);
    auto& f = state_->fields;
    f.helperState = state_->services.helperManager.state();
    if (f.customAllocation == 0.0) {
        f.customAllocation = lowestAllowedGigabytes(f.totalRAMGB);
    }
    if (!hasEnoughMemory()) {
        return;
    }
    const double value = readVRAMGB();
    f.currentVRAMGB = value;
    f.selectedVRAMGB = value;
    scheduleRefresh();
    f.launchAtLogin = state_->services.loginItem.isEnabled();
}

bool ContentViewModel::confirmedByReadBack(std::int64_t megabytes) {
    auto& s = state_->services;
    const VramReading readBack = readVRAM(s.kernel, s.defaults, state_->vramLog);
    if (!sameMegabytes(megabytes, readBack.gigabytes)) {
        return false;
    }
    if (readBack.fromKernel) {
        recordConfirmedLimit(s.defaults, megabytes);
    }
    return true;
}

void ContentViewModel::updateStatusIcon() {
    if (auto* icon = state_->services.statusIcon) {
        icon->updateStatusIcon();
    }
}

// --- derived values ----------------------------------------------------------------------------

std::vector<double> ContentViewModel::vramOptions() const {
    return orvane::vramOptions(totalRAMGB());
}

std::string ContentViewModel::optionLabel(double gigabytes, std::size_t index) const {
    return orvane::optionLabel(gigabytes, index, totalRAMGB(), enableFunMode());
}

std::int64_t ContentViewModel::reservedSystemRAMGB() const {
    return orvane::reservedSystemRAMGB(totalRAMGB(), currentVRAMGB());
}

bool ContentViewModel::isSystemManaged() const {
    return currentVRAMGB() == 0.0;
}

bool ContentViewModel::hasEnoughMemory() const {
    return !tooSmallForControls(totalRAMGB());
}

std::string ContentViewModel::minimumMemoryText() const {
    return orvane::minimumMemoryText(minimumRequiredRAMGB);
}

std::string ContentViewModel::totalFigureText() const {
    return orvane::totalFigureText(totalRAMGB());
}

std::string ContentViewModel::reservedFigureText() const {
    return orvane::reservedFigureText(totalRAMGB(), currentVRAMGB());
}

std::string ContentViewModel::allocatedFigureText() const {
    return orvane::allocatedFigureText(currentVRAMGB());
}

BarWidths ContentViewModel::barWidths() const {
    return orvane::barWidths(totalRAMGB(), currentVRAMGB());
}

std::optional<std::string> ContentViewModel::readGpuMemoryToolTip() {
    GpuMemoryStats* stats = state_->services.gpuMemory;
    if (!stats) {
        return std::nullopt;
    }
    return gpuMemoryToolTip(stats->read().inUseBytes, currentVRAMGB());
}

double ContentViewModel::customRangeMinimum() const {
    return lowestAllowedGigabytes(totalRAMGB());
}

double ContentViewModel::customRangeMaximum() const {
    return highestAllowedGigabytes(totalRAMGB());
}

std::string ContentViewModel::customAmountText() const {
    return orvane::customAmountText(customAllocation());
}

bool ContentViewModel::controlsLocked() const {
    const auto& f = state_->fields;
    return busyMessage() || f.helperOfferMB || f.waitingForApprovalMB;
}

ContentViewModel::StatusArea ContentViewModel::statusArea() const {
    const auto& f = state_->fields;
    if (busyMessage()) {
        return StatusArea::busy;
    }
    if (f.helperOfferMB) {
        return StatusArea::offer;
    }
    if (f.waitingForApprovalMB) {
        return StatusArea::approval;
    }
    return f.vramError ? StatusArea::error : StatusArea::none;
}

// --- the approval timer ------------------------------------------------------------------------

void ContentViewModel::startApprovalTimer() {
    if (state_->approvalTimer) {
        return;
    }
    state_->approvalTimer = state_->services.mainQueue.every(
        1.0, later([](ContentViewModel& view) { view.onApprovalTick(); }));
}

void ContentViewModel::stopApprovalTimer() {
    if (const auto timer = std::exchange(state_->approvalTimer, std::nullopt)) {
        state_->services.mainQueue.cancel(*timer);
    }
}

} // namespace orvane
