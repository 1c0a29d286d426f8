// An executable without a version resource has no version text, so its title goes without.
#include <gtest/gtest.h>

#include "app/app_version.h"

namespace vexilo {
namespace {

TEST(WindowsVersion, MissingVersionResourceGivesNoVersionText) {
    EXPECT_EQ(ProductVersionText(), "");
}

}  // namespace
}  // namespace vexilo
