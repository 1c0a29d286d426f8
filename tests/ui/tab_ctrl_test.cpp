#include <gtest/gtest.h>

#include <QTabBar>
#include <QTest>
#include <string>

#include "ui/qt_backend.h"

namespace vexilo::ui {
namespace {

class TabCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        tab.resize(600, 400);
        tab.SetSelChangeHandler([this] { ++notifications; });
    }
    qt::TabCtrlWidget tab;
    int notifications = 0;
};

TEST_F(TabCtrlTest, TheFirstItemIsSelectedAndProgrammaticChangesAreSilent) {
    EXPECT_EQ(tab.GetCurSel(), -1);
    EXPECT_EQ(tab.InsertItem(0, "KTP-RGB-SDI (COM3)"), 0);
    EXPECT_EQ(tab.InsertItem(1, "KTQ-DVI-SDI (COM5)"), 1);
    EXPECT_EQ(tab.InsertItem(5, "third"), 2);
    EXPECT_EQ(tab.GetCurSel(), 0);
    EXPECT_EQ(tab.SetCurSel(2), 0);
    EXPECT_EQ(tab.SetCurSel(7), -1);
    EXPECT_EQ(tab.GetCurSel(), 2);
    EXPECT_EQ(tab.GetItemText(1), "KTQ-DVI-SDI (COM5)");
    EXPECT_EQ(notifications, 0);
}

TEST_F(TabCtrlTest, DeletingTheSelectedItemLeavesNoSelection) {
    for (int i = 0; i < 3; ++i) {
        tab.InsertItem(i, std::to_string(i));
    }
    tab.SetCurSel(2);
    EXPECT_TRUE(tab.DeleteItem(0));
    EXPECT_EQ(tab.GetCurSel(), 1) << "the selection moves with its item";
    EXPECT_TRUE(tab.DeleteItem(1));
    EXPECT_EQ(tab.GetCurSel(), -1);
    EXPECT_FALSE(tab.DeleteItem(5));
    EXPECT_EQ(tab.GetItemCount(), 1);
    tab.SetCurSel(0);
    EXPECT_EQ(tab.GetCurSel(), 0);
    EXPECT_EQ(notifications, 0);
}

TEST_F(TabCtrlTest, AUserSelectionNotifies) {
    tab.InsertItem(0, "a");
    tab.InsertItem(1, "b");
    tab.show();
    const QRect r = qt::ToQRect(tab.GetItemRect(1));
    ASSERT_FALSE(r.isEmpty());
    auto* bar = tab.findChild<QTabBar*>();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->mapFrom(&tab, r.center()));
    EXPECT_EQ(tab.GetCurSel(), 1);
    EXPECT_EQ(notifications, 1);
}

TEST_F(TabCtrlTest, ItemRectAndClientRect) {
    tab.InsertItem(0, "KTP-RGB-SDI (ttyACM0)");
    const QRect item = qt::ToQRect(tab.GetItemRect(0));
    EXPECT_GE(item.top(), 0);
    EXPECT_GT(item.bottom(), 10);
    EXPECT_LT(item.bottom(), 100);
    EXPECT_EQ(tab.GetClientRect(), (Rect{0, 0, 600, 400}));
    EXPECT_TRUE(tab.GetItemRect(1).IsEmpty());
}

}  // namespace
}  // namespace vexilo::ui
