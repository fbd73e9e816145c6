#pragma once

// The shell's fixed texts and stored keys.
namespace orvane::shell_text {

inline constexpr const char* currentTermsVersion = "2026-10-22";
inline constexpr const char* agreedTermsVersionKey = "agreedTermsVersion";
inline constexpr const char* userAgreedToTermsKey = "userAgreedToTerms";
inline constexpr const char* lastKnownVRAMGBKey = "lastKnownVRAMGB";

inline constexpr const char* menuIcon = "MenuIcon";
inline constexpr const char* menuIconActive = "MenuIcon_Active";
inline constexpr const char* accessibilityLabel = "Orvane";
inline constexpr const char* accessibilityLabelActive = "Orvane, custom VRAM active";

inline constexpr const char* termsTitle = "Terms and Conditions";
inline constexpr const char* welcome = "Welcome to Orvane";
inline constexpr const char* reviewPrompt =
    "Please review and agree to the following before continuing:";
inline constexpr const char* documentsLabel = "Documents";
inline constexpr const char* privacyPolicy = "Privacy Policy";
inline constexpr const char* termsOfUse = "Terms of Use";
inline constexpr const char* doNotAgree = "Do Not Agree";
inline constexpr const char* agree = "Agree";
inline constexpr const char* privacyUnreadable = "Unable to load Privacy Policy.";
inline constexpr const char* termsUnreadable = "Unable to load Terms of Use.";

inline constexpr const char* alreadyRunningShown =
    "Orvane is already running; its popover is shown.\n";
inline constexpr const char* alreadyRunning = "Orvane is already running.\n";

inline constexpr const char* noTrayNotice =
    "Orvane: this desktop has no system tray, so the popover opens as a window.\n";

} // namespace orvane::shell_text
