#pragma once

// What the application and its password dialog program (OrvanePasswordDialog) agree on.
namespace orvane::sim {

inline constexpr const char* passwordDialogName = "OrvanePasswordDialog";

// The dialog's prompt, passed in the environment so that no toolkit option can be mistaken for it.
inline constexpr const char* passwordPromptVariable = "ORVANE_PASSWORD_PROMPT";

// "ok" or "cancel": the dialog answers itself at once, for scripts and tests that have nobody at
// the keyboard. The stand-in accepts any password anyway.
inline constexpr const char* passwordAnswerVariable = "ORVANE_PASSWORD_DIALOG_ANSWER";

// The dialog's exit status; any other end means that it gave no answer.
inline constexpr int passwordDialogOk = 0;
inline constexpr int passwordDialogCancel = 1;

} // namespace orvane::sim
