#include "app/helperlink/BundlePlace.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

using Place = BundlePlace;

// What launchd would be left holding if the helper were registered from each place.
TEST(BundlePlace, OnlyAnInstalledCopyMayRegisterTheHelper) {
    const struct {
        const char* path;
        Place place;
    } cases[] = {
        {"/Applications/Orvane.app", Place::applications},
        {"/Applications/Utilities/Orvane.app/", Place::applications},
        {"/applications/orvane.APP", Place::applications}, // the volume ignores case
        {"/Users/ada/Applications/Orvane.app", Place::applications},
        {"/private/var/folders/x7/1q2w3e/T/AppTranslocation/5A1B-77C2/d/Orvane.app",
         Place::translocated},
        {"/Applications/AppTranslocation/Orvane.app", Place::translocated},
        {"/Users/ada/Downloads/Orvane.app", Place::elsewhere},
        {"/Volumes/Orvane/Orvane.app", Place::elsewhere},
        {"/Users/Applications/Orvane.app", Place::elsewhere}, // not a home folder's
        {"/Applications", Place::elsewhere},
        {"/Applications/Orvane", Place::elsewhere}, // no bundle: its main bundle is a folder
        {"/Applications/.app", Place::elsewhere},
        {"/Applications/../tmp/Orvane.app", Place::elsewhere},
        {"/Applications/./Orvane.app", Place::elsewhere},
        {"Applications/Orvane.app", Place::elsewhere},
        {"", Place::elsewhere},
    };
    for (const auto& [path, place] : cases) {
        EXPECT_EQ(bundlePlace(path), place) << path;
        EXPECT_EQ(mayRegisterHelperFrom(path), place == Place::applications) << path;
    }
}

} // namespace
} // namespace orvane::test
