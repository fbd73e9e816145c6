#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/helperlink/HelperManager.h"
#include "app/limit/ChangeInFlight.h"
#include "app/limit/Figures.h"
#include "platform/ports/AdminRunner.h"
#include "platform/ports/Defaults.h"
#include "platform/ports/GpuMemoryStats.h"
#include "platform/ports/KernelLimit.h"
#include "platform/ports/Log.h"
#include "platform/ports/LoginItem.h"
#include "platform/ports/MainQueue.h"
#include "platform/ports/PhysicalMemory.h"
#include "shared/Logger.h"

namespace orvane {

// The shell's status icon, which follows "lastKnownVRAMGB" (AppDelegate::updateStatusIcon).
class StatusIcon {
public:
    virtual ~StatusIcon() = default;
    virtual void updateStatusIcon() = 0;
};

// Everything the popover's model talks to. statusIcon may be null (no application delegate yet):
// the model then skips the icon and works unchanged. gpuMemory may be null: the GPU's memory is
// then unknown. bundlePath is where Orvane.app runs from; only an installed one registers the
// helper. changesInFlight is shared by every opening of the process; without one, an opening knows
// only its own change.
struct ContentServices {
    HelperManager& helperManager;
    KernelLimit& kernel;
    PhysicalMemory& memory;
    Defaults& defaults;
    MainQueue& mainQueue;
    AdminRunner& adminRunner;
    LoginItem& loginItem;
    Log& log;
    StatusIcon* statusIcon = nullptr;
    GpuMemoryStats* gpuMemory = nullptr;
    std::filesystem::path bundlePath{};
    ChangeInFlight* changesInFlight = nullptr;
};

// The state and behaviour behind one opening of the popover (the root view ContentView): the
// memory figures, the presets, the custom allocation and every road a change can take. A new
// instance per opening. Main thread only. The view reads the state and calls the actions; after
// every change of state the observer runs, and the view renders afresh. A change under way when
// the instance ends finishes its road all the same (see later()), and shows in the openings that
// follow until it has (ChangeInFlight).
class ContentViewModel {
public:
    // What the status area under the custom allocation shows, in its order of priority.
    enum class StatusArea { none, busy, offer, approval, error };

    explicit ContentViewModel(ContentServices services);
    ~ContentViewModel();
    ContentViewModel(const ContentViewModel&) = delete;
    ContentViewModel& operator=(const ContentViewModel&) = delete;

    void setObserver(std::function<void()> observer);

    // --- state, in the root view's order -------------------------------------------------------
    double totalRAMGB() const;
    double currentVRAMGB() const;
    std::optional<double> selectedVRAMGB() const;
    bool launchAtLogin() const;
    double customAllocation() const;
    bool showingUpdateSettings() const;
    bool showMoreSettings() const;
    const std::optional<std::string>& vramError() const;
    const std::optional<std::string>& busyMessage() const;
    HelperManager::State helperState() const;
    std::optional<std::int64_t> helperOfferMB() const;
    std::optional<std::int64_t> waitingForApprovalMB() const;
    bool helperOfferShown() const;      // user defaults "helperOfferShown"
    bool enableFunMode() const;         // user defaults "enableFunMode"
    bool keepLimitAfterRestart() const; // user defaults "keepLimitAfterRestart"

    // --- the model -----------------------------------------------------------------------------
    double readVRAMGB();
    void refreshVRAM();
    void scheduleRefresh();
    void onPopoverAppear();

    std::vector<double> vramOptions() const;
    std::string optionLabel(double gb, std::size_t index) const;
    std::int64_t reservedSystemRAMGB() const;
    bool isSystemManaged() const;
    bool hasEnoughMemory() const;          // not tooSmallForControls (shared/RangeRule.h)
    std::string minimumMemoryText() const; // the warning line for smaller machines
    std::string totalFigureText() const;
    std::string reservedFigureText() const;
    std::string allocatedFigureText() const;
    BarWidths barWidths() const;
    // The memory bar's tooltip: the GPU's memory in use, read now, beside the limit as last read;
    // none when unknown. Read only when asked (the tooltip is about to show), never polled.
    std::optional<std::string> readGpuMemoryToolTip();
    double customRangeMinimum() const;
    double customRangeMaximum() const;
    std::string customAmountText() const; // "Allocate N GB VRAM" under the slider
    bool controlsLocked() const;          // busy, offered or waiting
    StatusArea statusArea() const;

    // --- what the controls call ----------------------------------------------------------------
    void selectPreset(double gigabytes);             // a preset row
    void setCustomAllocation(double gigabytes);      // the slider; applies nothing
    void applyCustomAllocation();                    // "Set Custom Allocation"
    void declineHelperOffer(std::int64_t megabytes); // "Not Now"
    void openSystemSettings();                       // "Open System Settings"
    void usePasswordInstead(std::int64_t megabytes); // "Use Password Instead"
    void setPasswordFree(bool on);                   // "Password-free VRAM changes"
    void setLaunchAtLogin(bool enabled);             // "Launch at Login"
    void setKeepLimitAfterRestart(bool on);          // "Keep Limit After Restart"
    void setEnableFunMode(bool enabled);             // "Enable Fun Mode"
    void toggleMoreSettings();                       // the disclosure row
    void toggleUpdateSettings();                     // "Change Update Settings"

    // The approval timer ticks every second while the popover is shown.
    void startApprovalTimer();
    void stopApprovalTimer();

    // --- the apply flow and the password road ----------------------------------------------------
    void applyVRAM(double gigabytes);
    void handleHelperResult(HelperManager::SetResult result, std::int64_t megabytes);
    void turnOnHelper(std::optional<std::int64_t> pendingMB); // also "Turn On"
    void onApprovalTick();
    void applyWithPassword(std::int64_t megabytes);
    std::optional<std::string> runPasswordScript(std::int64_t megabytes);
    static std::string passwordScriptSource(std::int64_t megabytes);

private:
    struct State;
    class Change;

    // A copy of a view's model for a block that runs later: it shares the state, and its end
    // ends nothing.
    struct Copy {};
    ContentViewModel(Copy, std::shared_ptr<State> state);

    // Wraps a block that runs later (a delayed block, a tick, a helper completion). The block
    // gets a copy of this model, so its road goes on when the popover has been closed and opened
    // anew meanwhile: the password fallback, the read-back, the refresh and the icon still
    // happen. Its writes then land in the old state, which no view shows any more.
    template <typename Body>
    auto later(Body body);

    void sendToHelper(std::int64_t megabytes);
    // Says why the helper cannot be registered from here, if so.
    bool refuseRegistrationHere();
    void finishPasswordRoad(std::int64_t megabytes);
    void updateStatusIcon();
    void setHelperOfferShown(bool shown);
    // Where a change of the user's stored settings did not reach storage, the error line says
    // so, unless it already holds the change's own error.
    void reportUnsavedSettings();
    // The read-back after a change reports success: whether the limit now reads as megabytes.
    // A match read from the variable itself (not the stored fallback) is kept for a restart.
    bool confirmedByReadBack(std::int64_t megabytes);

    std::shared_ptr<State> state_;
    bool copy_ = false;
    std::shared_ptr<void> watchingChanges_; // another opening's road, while this one is shown
};

} // namespace orvane
