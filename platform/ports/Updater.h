#pragma once

namespace orvane {

// The software updater (Sparkle's standard updater controller on a Mac). Created and started with
// the application; it runs its scheduled checks and its own windows by itself.
class Updater {
public:
    virtual ~Updater() = default;

    // A user-initiated check, with the updater's own windows.
    virtual void checkForUpdates() = 0;

    virtual bool automaticallyChecksForUpdates() = 0;
    virtual void setAutomaticallyChecksForUpdates(bool enabled) = 0;
    virtual bool automaticallyDownloadsUpdates() = 0;
    virtual void setAutomaticallyDownloadsUpdates(bool enabled) = 0;
};

} // namespace orvane
