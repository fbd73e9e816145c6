#include "shared/HelperIdentity.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(HelperIdentity, EachSideRequiresTheOthersIdentityAndOurTeam) {
    EXPECT_EQ(helperClientRequirement(),
              "anchor apple generic and identifier \"com.halvern.Orvane\" and certificate "
              "leaf[subject.OU] = \"T4K9QX2M7B\"");
    EXPECT_EQ(appHelperRequirement(),
              "anchor apple generic and identifier \"com.halvern.Orvane.helper\" and certificate "
              "leaf[subject.OU] = \"T4K9QX2M7B\"");
}

} // namespace
} // namespace orvane
