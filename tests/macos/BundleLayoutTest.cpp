// The assembled Orvane.app, on a Mac: where launchd, the service-management facility, the loader
// and NSBundle will look for things.

#include <filesystem>
#include <gtest/gtest.h>

#include "shared/HelperIdentity.h"
#include "tests/macos/PropertyList.h"

namespace orvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path contents = fs::path(ORVANE_BUNDLE_DIR) / "Contents";

TEST(BundleLayout, HoldsBothProgramsAndTheDaemonListWhereTheSystemLooks) {
    EXPECT_TRUE(fs::is_regular_file(contents / "MacOS/Orvane"));
    EXPECT_TRUE(fs::is_regular_file(contents / "MacOS/OrvaneHelper"));

    const fs::path launchd = contents / "Library/LaunchDaemons" / std::string(helperPlistName);
    EXPECT_TRUE(fs::is_regular_file(launchd));
    EXPECT_EQ(propertyListEntries(launchd), propertyListEntries(ORVANE_HELPER_LAUNCHD_PLIST));
    EXPECT_EQ(propertyListEntries(contents / "Info.plist"),
              propertyListEntries(ORVANE_APP_INFO_PLIST));
}

TEST(BundleLayout, HoldsTheResourcesAndSparkleWithItsSymlinks) {
    for (const char* name : {"MenuIcon.png", "MenuIcon@2x.png", "MenuIcon_Active.png",
                             "MenuIcon_Active@2x.png", "privacy_policy.txt", "terms_of_use.txt"}) {
        EXPECT_TRUE(fs::is_regular_file(contents / "Resources" / name)) << name;
    }
    // A framework copied without its symlinks loads, but fails code-signature verification.
    const fs::path sparkle = contents / "Frameworks/Sparkle.framework";
    EXPECT_TRUE(fs::is_symlink(sparkle / "Versions/Current"));
    EXPECT_TRUE(fs::is_symlink(sparkle / "Sparkle"));
    EXPECT_TRUE(fs::is_regular_file(sparkle / "Versions/Current/Sparkle"));
}

} // namespace
} // namespace orvane::test
