#include "platform/sim/helperlink/SimServiceManager.h"

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace orvane::sim {
namespace {

// The application's own walks register, approve and unregister; here are the odd turns.
TEST(SimServiceManager, FollowsRegistrationApprovalAndUnregistrationAndDescribesAFailedWrite) {
    test::TempDir dir;
    SimServiceManager service(dir.path(), Caller::application);
    EXPECT_EQ(service.registerService(), std::nullopt);
    EXPECT_EQ(service.setApproved(true), std::nullopt);
    EXPECT_EQ(service.setApproved(false), std::nullopt);
    EXPECT_EQ(service.status(), 2);
    dir.write("helper.approved", ""); // approved elsewhere: the next read takes it in
    EXPECT_EQ(service.status(), 1);
    EXPECT_EQ(dir.read("helper.status"), "1\n");

    EXPECT_EQ(service.unregisterService(), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(dir / "helper.approved"));
    EXPECT_EQ(service.unregisterService(),
              "The helper is not registered, so it cannot be unregistered.");
    dir.write("helper.status", "3\n");
    dir.write("helper.approved", "");
    EXPECT_EQ(service.registerService(), std::nullopt);
    EXPECT_EQ(service.status(), 1);

    SimServiceManager nowhere(dir / "gone", Caller::application);
    EXPECT_EQ(nowhere.registerService(), "Could not save the helper's registration in " +
                                             (dir / "gone").string() +
                                             ": No such file or directory.");
    EXPECT_EQ(nowhere.status(), 0);

    // Any other program of ours finds no such daemon, as SMAppService answers outside the app's
    // main bundle, and changes nothing; the user's switch in Login Items still works.
    SimServiceManager other(dir.path(), Caller::otherProgram);
    EXPECT_EQ(other.status(), 3);
    EXPECT_NE(other.registerService(), std::nullopt);
    EXPECT_NE(other.unregisterService(), std::nullopt);
    EXPECT_EQ(service.status(), 1);
    EXPECT_EQ(other.setApproved(false), std::nullopt);
    EXPECT_EQ(service.status(), 2);
}

} // namespace
} // namespace orvane::sim
