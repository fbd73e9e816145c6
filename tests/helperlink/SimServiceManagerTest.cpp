#include "platform/sim/helperlink/SimServiceManager.h"

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace orvane::sim {
namespace {

TEST(SimServiceManager, RegistrationWaitsForApprovalAndFollowsTheUsersSwitch) {
    test::TempDir dir;
    int loginItemsOpened = 0;
    SimServiceManager service(dir.path(), [&] { ++loginItemsOpened; });
    EXPECT_EQ(service.status(), 0);

    EXPECT_EQ(service.registerService(), std::nullopt);
    EXPECT_EQ(dir.read("helper.status"), "2\n");
    EXPECT_EQ(service.setApproved(true), std::nullopt);
    EXPECT_EQ(service.status(), 1);
    EXPECT_EQ(service.setApproved(false), std::nullopt);
    EXPECT_EQ(service.status(), 2);

    dir.write("helper.approved", ""); // the user's approval, given elsewhere
    EXPECT_EQ(service.status(), 1);
    EXPECT_EQ(dir.read("helper.status"), "1\n");
    EXPECT_EQ(service.registerService(), std::nullopt);
    EXPECT_EQ(service.status(), 1);

    service.openSystemSettingsLoginItems();
    EXPECT_EQ(loginItemsOpened, 1);
}

TEST(SimServiceManager, UnregisteringForgetsTheApprovalAndNeedsARegistration) {
    test::TempDir dir;
    SimServiceManager service(dir.path());
    dir.write("helper.status", "1\n");
    dir.write("helper.approved", "");

    EXPECT_EQ(service.unregisterService(), std::nullopt);
    EXPECT_EQ(service.status(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "helper.approved"));
    EXPECT_EQ(service.unregisterService(),
              "The helper is not registered, so it cannot be unregistered.");

    for (const char* unusable : {"3\n", "garbage", "7\n"}) {
        dir.write("helper.status", unusable);
        EXPECT_EQ(service.registerService(), std::nullopt) << unusable;
        EXPECT_EQ(service.status(), 2) << unusable;
    }
    dir.write("helper.status", "0\n");
    dir.write("helper.approved", "");
    EXPECT_EQ(service.registerService(), std::nullopt);
    EXPECT_EQ(service.status(), 1);
}

TEST(SimServiceManager, AFailedWriteIsDescribedAndChangesNothing) {
    test::TempDir dir;
    const auto missing = dir / "missing";
    SimServiceManager service(missing);
    EXPECT_EQ(service.registerService(), "Could not save the helper's registration in " +
                                             missing.string() + ": No such file or directory.");
    EXPECT_EQ(service.status(), 0);
    EXPECT_EQ(service.setApproved(true), "Could not record the helper's approval in " +
                                             missing.string() + ": No such file or directory.");
}

} // namespace
} // namespace orvane::sim
