// An executable without a version resource gets the title without a version.
#include <gtest/gtest.h>

#include "app/app_version.h"

namespace vexilo {
namespace {

TEST(WindowsVersion, MissingVersionResourceLeavesTheTitleWithoutVersion) {
    EXPECT_EQ(ProductVersionText(), "");
    EXPECT_EQ(MainWindowTitle(ProductVersionText()), "KTP/Q Series Vexilo Panel");
}

}  // namespace
}  // namespace vexilo
