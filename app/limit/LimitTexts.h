#pragma once

#include <array>
#include <string_view>

// Every sentence the popover's model shows or logs, word for word, so that a reader can hold them
// against the product's documents. "…" is the single character U+2026 throughout.
namespace orvane::texts {

// --- progress, in busyMessage ------------------------------------------------------------------
inline constexpr std::string_view applying = "Applying…";
inline constexpr std::string_view waitingForAdministrator = "Waiting for administrator approval…";

// --- errors, in vramError ----------------------------------------------------------------------
inline constexpr std::string_view couldNotChangeLimit = "Couldn't change the VRAM limit.";
inline constexpr std::string_view limitDidNotChange = "The VRAM limit didn't change as expected.";
inline constexpr std::string_view outsideAllowedRange =
    " GB is outside the allowed range."; // after n
// Turning password-free changes on in a copy of Orvane that is not installed (the command line
// says the same).
inline constexpr std::string_view moveToApplicationsFirst =
    "Move Orvane to the Applications folder and open it from there to turn on password-free "
    "changes.";

// --- figures -----------------------------------------------------------------------------------
inline constexpr std::string_view totalSystemRAM = "Total System RAM: ";
inline constexpr std::string_view reservedSystemRAM = "Reserved System RAM: ";
inline constexpr std::string_view allocatedVRAM = "Allocated VRAM: ";
inline constexpr std::string_view systemManaged = "System Managed";
inline constexpr std::string_view gbUnit = " GB";

inline constexpr std::string_view minimumMemoryBefore = "⚠️ Your Mac must have at least ";
inline constexpr std::string_view minimumMemoryAfter = " GB RAM to run this app.";

// --- the GPU's memory in use: the command line's status line, the memory bar's tooltip ---------
inline constexpr std::string_view gpuInUse = "GPU memory in use: "; // then "12.4", gbUnit
inline constexpr std::string_view gpuLimitBefore = " of ";
inline constexpr std::string_view gpuLimitAfter = " GB allowed";
inline constexpr std::string_view gpuLimitSystemManaged = ", limit system managed";

// --- preset rows and the custom amount ---------------------------------------------------------
inline constexpr std::string_view allocateDefault = "Allocate Default VRAM";
inline constexpr std::string_view allocateBefore = "Allocate ";
inline constexpr std::string_view allocateAfter = " GB VRAM";
inline constexpr std::string_view funNameSeparator = ": ";
inline constexpr std::string_view funNameFallback = "Option";

// One name per raw preset of each tier of total memory.
inline constexpr std::array<std::string_view, 6> funNamesFrom64 = {
    "Default", "More", "Way More", "Too Much!", "OMFG No!", "Insane!"};
inline constexpr std::array<std::string_view, 5> funNamesFrom32 = {"Default", "More", "Way More",
                                                                   "Too Much!", "Insane!"};
inline constexpr std::array<std::string_view, 4> funNamesAbove8 = {"Default", "Way More",
                                                                   "Too Much!", "Insane!"};
inline constexpr std::array<std::string_view, 3> funNamesAt8 = {"Default", "Too Much!", "Insane!"};

// --- the administrator script, in the order it is put together ---------------------------------
inline constexpr std::string_view scriptCommand =
    "do shell script \"/usr/sbin/sysctl -w iogpu.wired_limit_mb=";
inline constexpr std::string_view scriptCommandEnd = "\" ";
inline constexpr std::string_view scriptPrompt =
    "with prompt \"Orvane needs administrator access to change the GPU memory limit.\" ";
inline constexpr std::string_view scriptPrivileges = "with administrator privileges";

// --- log lines ---------------------------------------------------------------------------------
inline constexpr std::string_view vramCategory = "vram";
inline constexpr std::string_view appCategory = "app";
inline constexpr std::string_view readFailedLog = "Failed to read VRAM: %{public}s";
inline constexpr std::string_view scriptFailedLog = "Setting VRAM limit failed: %{public}@";
inline constexpr std::string_view launchAtLoginFailedLog = "Launch at login failed: %{public}s";
inline constexpr std::string_view notInstalledLog =
    "Not registering the helper from %{public}s, outside an Applications folder";

// --- restoring the kept limit: why it was not restored, and the log lines ----------------------
inline constexpr std::string_view restoreKeptOutsideRange =
    "The kept limit of %ld MB is outside the allowed range on this Mac.";
inline constexpr std::string_view restoreHelperOff = "Password-free VRAM changes are off.";
inline constexpr std::string_view corruptKeptLimit =
    "The kept limit in Orvane's settings is not a whole number of megabytes.";
inline constexpr std::string_view restoreHelperNeedsApproval =
    "Password-free VRAM changes wait for approval in System Settings \u2192 Login Items.";
inline constexpr std::string_view restoreLimitNotRead =
    "The GPU memory limit could not be read: %{public}s";
inline constexpr std::string_view restoreNotReadBack =
    "The kept limit was sent, but the new limit could not be read back: %{public}s";
inline constexpr std::string_view restoreFailedLog = "Restoring the kept limit failed: %{public}s";
inline constexpr std::string_view restoredLog = "Restored the kept limit of %ld MB";

// --- user defaults keys ------------------------------------------------------------------------
inline constexpr std::string_view lastKnownVRAMGBKey = "lastKnownVRAMGB";
inline constexpr std::string_view keepLimitAfterRestartKey = "keepLimitAfterRestart";
inline constexpr std::string_view keptLimitMBKey = "keptLimitMB"; // absent: nothing to restore
inline constexpr std::string_view helperOfferShownKey = "helperOfferShown";
inline constexpr std::string_view enableFunModeKey = "enableFunMode";

} // namespace orvane::texts
