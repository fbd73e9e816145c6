#pragma once

// The popover's fixed texts, as the user reads them. Texts computed at run time (figures, preset
// labels, progress and error sentences) come from the model.
namespace orvane::popover_text {

inline constexpr const char* title = "Orvane App";
inline constexpr const char* ramAllocation = "RAM Allocation:";
inline constexpr const char* systemManaged = "System Managed";
inline constexpr const char* ramLabel = "RAM";
inline constexpr const char* vramLabel = "VRAM";
inline constexpr const char* customHeader = "Custom VRAM Allocation:";
inline constexpr const char* setCustom = "Set Custom Allocation";
inline constexpr const char* quit = "Quit Orvane";

inline constexpr const char* offerTitle = "Skip the password next time?";
inline constexpr const char* offerText =
    "Turn on password-free changes. macOS asks you to allow Orvane once in System Settings.";
inline constexpr const char* turnOn = "Turn On";
inline constexpr const char* notNow = "Not Now";

inline constexpr const char* approvalText =
    "Allow Orvane in System Settings \u2192 Login Items. The change applies as soon as you do.";
inline constexpr const char* openSystemSettings = "Open System Settings";
inline constexpr const char* usePasswordInstead = "Use Password Instead";

inline constexpr const char* moreSettings = "More Settings";
inline constexpr const char* launchAtLogin = "Launch at Login";
inline constexpr const char* passwordFree = "Password-free VRAM changes";
inline constexpr const char* approvalHint =
    "Allow Orvane in System Settings \u2192 Login Items to finish turning this on.";
inline constexpr const char* keepLimitAfterRestart = "Keep Limit After Restart";
inline constexpr const char* keepNeedsPasswordFree = "Needs password-free VRAM changes.";
inline constexpr const char* checkForUpdates = "Check for Updates Now";
inline constexpr const char* changeUpdateSettings = "Change Update Settings";
inline constexpr const char* enableFunMode = "Enable Fun Mode";
inline constexpr const char* versionPrefix = "Version ";
inline constexpr const char* unknownVersion = "unknown";

} // namespace orvane::popover_text
