// The assembled Orvane.app, on a Mac: where launchd, the service-management facility, the loader
// and NSBundle will look for things.

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "shared/HelperIdentity.h"
#include "tests/macos/PropertyList.h"
#include "tests/support/TempDir.h"

namespace orvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path contents = fs::path(ORVANE_BUNDLE_DIR) / "Contents";

// What a shell command prints on stdout.
std::string output(const std::string& command) {
    const TempDir folder;
    EXPECT_EQ(std::system((command + " > '" + (folder / "out").string() + "'").c_str()), 0)
        << command;
    return folder.read("out");
}

TEST(BundleLayout, HoldsBothProgramsTheListsTheResourcesAndSparkleWhereTheSystemLooks) {
    EXPECT_TRUE(fs::is_regular_file(contents / "MacOS/Orvane"));
    EXPECT_TRUE(fs::is_regular_file(contents / "MacOS/OrvaneHelper"));
    // Each list is read back whole; one that is missing fails there.
    EXPECT_EQ(
        propertyListEntries(contents / "Library/LaunchDaemons" / std::string(helperPlistName)),
        propertyListEntries(ORVANE_HELPER_LAUNCHD_PLIST));
    EXPECT_EQ(propertyListEntries(contents / "Info.plist"),
              propertyListEntries(ORVANE_APP_INFO_PLIST));
    for (const char* name :
         {"AppIcon.icns", "MenuIcon.png", "MenuIcon@2x.png", "MenuIcon_Active.png",
          "MenuIcon_Active@2x.png", "privacy_policy.txt", "terms_of_use.txt"}) {
        EXPECT_TRUE(fs::is_regular_file(contents / "Resources" / name)) << name;
    }
    // A framework copied without its symlinks loads, but fails code-signature verification.
    const fs::path sparkle = contents / "Frameworks/Sparkle.framework";
    EXPECT_TRUE(fs::is_symlink(sparkle / "Versions/Current"));
    EXPECT_TRUE(fs::is_symlink(sparkle / "Sparkle"));
    EXPECT_TRUE(fs::is_regular_file(sparkle / "Versions/Current/Sparkle"));
}

// A file system that ignores case has no room for orvane beside MacOS/Orvane, and separately
// signed code does not belong in Resources: it lies in Helpers. From there it finds the bundle's
// Qt (once macdeployqt has run), loads nothing graphical, and finds the application's executable,
// which reads the helper's registration for it ("off" in a build nobody has registered).
TEST(BundleLayout, HoldsTheCommandLineInHelpersThatRunsFromThereWithQtCoreAlone) {
    const fs::path cli = contents / "Helpers/orvane";
    ASSERT_TRUE(fs::is_regular_file(cli));
    EXPECT_FALSE(fs::exists(contents / "Resources/bin"));
    EXPECT_EQ(output("'" + cli.string() + "' --version"), "Orvane " ORVANE_PROJECT_VERSION "\n");
    EXPECT_EQ(output("'" + cli.string() + "' helper status"), "off\n");

    const std::string libraries = output("/usr/bin/otool -L '" + cli.string() + "'");
    EXPECT_NE(libraries.find("QtCore"), std::string::npos) << libraries;
    for (const char* graphical :
         {"QtGui", "QtWidgets", "QtNetwork", "QtDBus", "AppKit", "Sparkle"}) {
        EXPECT_EQ(libraries.find(graphical), std::string::npos) << graphical << "\n" << libraries;
    }
}

} // namespace
} // namespace orvane::test
