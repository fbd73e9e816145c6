#pragma once

#include <filesystem>

namespace orvane {

// Where Orvane.app runs from, as far as registering the helper goes. launchd keeps the path the
// daemon was registered from, so only a copy that stays where it is may register it.
enum class BundlePlace {
    applications, // inside /Applications or a user's ~/Applications
    translocated, // the read-only copy the system runs of an app opened from a download
    elsewhere,    // a disk image, Downloads, a build folder; or a path that cannot be trusted
};

// Decided by the path alone, as the system reports it (absolute, symbolic links resolved): a
// relative path, or one that climbs with "..", is elsewhere.
BundlePlace bundlePlace(const std::filesystem::path& bundle);

inline bool mayRegisterHelperFrom(const std::filesystem::path& bundle) {
    return bundlePlace(bundle) == BundlePlace::applications;
}

} // namespace orvane
