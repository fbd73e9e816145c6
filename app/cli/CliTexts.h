#pragma once

// The command line's own texts. Sentences the popover also shows come from the model's texts.
namespace orvane::cli_text {

inline constexpr const char* description =
    "Orvane sets how much unified memory the GPU may wire (iogpu.wired_limit_mb).\n"
    "Without a command, orvane prints this help and exits with status 2; the application's own\n"
    "executable, Orvane, starts the menu-bar application instead.";
inline constexpr const char* commands = "Commands:\n"
                                        "  status           Show the memory figures, presets and "
                                        "password-free state\n"
                                        "  set <size>       Set the GPU memory limit\n"
                                        "  reset            Give the limit back to the system\n"
                                        "  helper <action>  Password-free changes: status, on or "
                                        "off\n"
                                        "  watch            Show the GPU memory in use each second "
                                        "until interrupted\n"
                                        "  keep [on|off]    Keep the limit after a restart, or "
                                        "show whether it is kept\n"
                                        "  restore          Set the kept limit again after a "
                                        "restart (password-free only)\n"
                                        "  fit <model>      Whether a model fits in the GPU's "
                                        "memory, and the limit it needs\n"
                                        "  help [command]   Show this help, or a command's";
inline constexpr const char* sizeHelp =
    "Gigabytes (24, 24.5, 24GB, \"24 GB\"), megabytes (24576MB), or default for the system's "
    "choice.";

inline constexpr const char* notASize =
    "'%1' is not a size. Give gigabytes (24, 24.5, 24GB), megabytes (24576MB) or default.";
inline constexpr const char* unknownCommand = "Unknown command '%1'. See 'orvane --help'.";
inline constexpr const char* unknownCommandNear =
    "Unknown command '%1'. Did you mean '%2'? See 'orvane --help'.";
inline constexpr const char* helperActions = "Give one of: status, on, off.";
inline constexpr const char* noPasswordHelperOff =
    "Password-free changes are off, and --no-password forbids asking for the password. "
    "Turn them on with 'orvane helper on'.";
inline constexpr const char* noPasswordNeedsApproval =
    "Password-free changes wait for your approval, and --no-password forbids asking for the "
    "password. Allow Orvane in System Settings \u2192 Login Items.";
inline constexpr const char* noPasswordHelperFailed =
    "The password-free change did not go through: %1 --no-password forbids asking for the "
    "password.";
inline constexpr const char* outsideRange =
    "%1 is outside the allowed range: %2 to %3 GB, or default.";
inline constexpr const char* notReadBack =
    "The change was sent, but the new limit could not be read back: %1.";
inline constexpr const char* limitNotRead =
    "The GPU memory limit could not be read: %1. The figures show the last limit Orvane knew.";
inline constexpr const char* outputFailed = "Could not write the output: %1.";
inline constexpr const char* tooLittleMemory =
    "This Mac has too little memory for Orvane to change the GPU memory limit.";
inline constexpr const char* approvalNeeded =
    "Allow Orvane in System Settings \u2192 Login Items to finish turning this on.";
inline constexpr const char* turnOnFailed = "Couldn't turn on password-free changes.";
inline constexpr const char* turnOffFailed = "Couldn't turn off password-free changes.";
inline constexpr const char* cancelled = "Cancelled.";
inline constexpr const char* changedThroughHelper =
    "The GPU memory limit is now %1 MB (password-free).";
inline constexpr const char* changedWithPassword = "The GPU memory limit is now %1 MB.";
inline constexpr const char* alreadyInForce = "The GPU memory limit is already %1 MB.";
inline constexpr const char* jsonNeedsKeepAction =
    "--json goes with 'keep on' or 'keep off'; 'orvane status --json' shows what is kept.";

// --- watch ---------------------------------------------------------------------------------------
inline constexpr const char* watchDescription =
    "Show the GPU memory in use (wired now, across all processes) and allocated, beside the "
    "limit in force, once per interval until interrupted (Ctrl-C).";
inline constexpr const char* watchIntervalHelp = "Seconds between lines, at least 0.2.";
inline constexpr const char* badWatchInterval =
    "'%1' is not an interval. Give seconds from 0.2 to 86400, such as 1 or 0.5.";
inline constexpr const char* watchIntervalNotPositive =
    "The interval must be positive. Give seconds from 0.2 to 86400, such as 1 or 0.5.";
inline constexpr const char* watchUnknownStatistics =
    "The GPU's memory statistics are unknown on this machine, so there is nothing to watch.";
// time, in use, allocated, the limit; then the share when there is a limit
inline constexpr const char* watchLine = "%1  in use %2  allocated %3  limit %4";
inline constexpr const char* watchShare = "  %1% of the limit";
inline constexpr const char* watchGigabytes = "%1 GB"; // one decimal
inline constexpr const char* watchWholeGigabytes = "%1 GB";
inline constexpr const char* watchUnknown = "unknown";
inline constexpr const char* watchSystemManaged = "system managed";
inline constexpr const char* keepActions = "Give on or off, or nothing to show the setting.";
inline constexpr const char* keepHelp =
    "Keep the GPU memory limit after a restart: Orvane sets it again when it starts at login, "
    "or when 'orvane restore' runs. Turning this on also turns on Launch at Login. Without an "
    "action, shows whether the limit is kept and which.";
inline constexpr const char* restoreHelp =
    "Set the kept limit again after a restart, through password-free changes only, when nothing "
    "else has set a limit since. For a start-up script on a machine that runs without anyone "
    "logging in.";
inline constexpr const char* keepNeedsHelper =
    "Restoring needs password-free VRAM changes: turn them on with 'orvane helper on'.";
inline constexpr const char* keptNotRestorable =
    "The kept limit cannot be restored until password-free VRAM changes are on: turn them on "
    "with 'orvane helper on'.";
inline constexpr const char* launchAtLoginFailed =
    "The limit is kept, but Launch at Login could not be turned on: %1";
inline constexpr const char* keepingOff = "off";
inline constexpr const char* keepingLimit = "on, %1 MB kept";
inline constexpr const char* keepingNothing = "on, nothing kept";
inline constexpr const char* restored = "Restored the kept limit: %1 MB.";
inline constexpr const char* restoreNotKeeping =
    "Nothing to restore: keeping the limit after a restart is off.";
inline constexpr const char* restoreNothingKept = "Nothing to restore: no limit is kept.";
inline constexpr const char* restoreAlreadySet =
    "Nothing to restore: the GPU memory limit is already set (%1 MB).";
inline constexpr const char* notRestored = "The kept limit was not restored: %1";

// The memory the GPU may use now (the limit, or the system's recommended working set), in GB.
inline constexpr const char* workingSet = "GPU working set: %1 GB";

// --- the application's executable, which carries out registrations for orvane
// ---------------------
inline constexpr const char* applicationNotFound =
    "Couldn't find Orvane's application, which turns password-free changes and Launch at Login "
    "on and off.";
inline constexpr const char* applicationNotRun = "Couldn't run %1: %2.";
inline constexpr const char* applicationTooSlow = "%1 did not finish '%2' within %3.";
inline constexpr const char* applicationCrashed = "%1 ended abnormally while running '%2'.";
inline constexpr const char* helperSilent =
    "Password-free VRAM changes are on, but the helper did not answer.";

inline constexpr const char* helperOff = "off";
inline constexpr const char* helperNeedsApproval = "needs approval";
inline constexpr const char* helperOn = "on";

} // namespace orvane::cli_text
