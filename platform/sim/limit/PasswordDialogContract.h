#pragma once

// What the application and its password dialog program (OrvanePasswordDialog) agree on.
namespace orvane::sim {

inline constexpr const char* passwordDialogName = "OrvanePasswordDialog";

// The dialog's prompt, passed in the environment so that no toolkit option can be mistaken for it.
inline constexpr const char* passwordPromptVariable = "ORVANE_PASSWORD_PROMPT";

// An answer: the dialog answers itself at once, for scripts and tests that have nobody at
// the keyboard. The stand-in accepts any password anyway.
inline constexpr const char* passwordAnswerVariable = "ORVANE_PASSWORD_DIALOG_ANSWER";

// The answer, one line on the dialog's standard output; a dialog that ends without writing one
// gave no answer. (Not the exit status: whatever happens while the process winds down after
// the answer must not change it.)
inline constexpr const char* passwordDialogOk = "ok";
inline constexpr const char* passwordDialogCancel = "cancel";

} // namespace orvane::sim
