#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "support/message_box_recorder.h"
#include "ui/dialog.h"
#include "ui/qt_backend.h"
#include "ui/resource.h"

namespace vexilo::ui {
namespace {

class UpDownTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<QWidget>();
        buddy = new QLineEdit(host.get());
        spin = new qt::UpDownWidget(host.get());
        spin->resize(20, 30);
        spin->SetControlId(IDC_GAIN_R_SPIN);
        spin->SetBuddy(buddy, true, true);
        spin->SetRange32(-437, 74);
        spin->SetDeltaPosHandler([this](NmUpDown& nm) {
            seen.push_back(nm);
            if (handler) {
                return handler(nm);
            }
            return 0;
        });
    }
    std::unique_ptr<QWidget> host;
    QLineEdit* buddy = nullptr;
    qt::UpDownWidget* spin = nullptr;
    std::vector<NmUpDown> seen;
    std::function<int(NmUpDown&)> handler;
};

TEST_F(UpDownTest, PositionIsClampedAndWrittenToTheBuddyAsASignedNumber) {
    EXPECT_EQ(spin->SetPos32(-12), 0);
    EXPECT_EQ(buddy->text(), "-12");
    spin->SetPos32(1000);
    EXPECT_EQ(spin->GetPos32(), 74);
    spin->SetPos32(-100000);
    EXPECT_EQ(spin->GetPos32(), -437);
    EXPECT_EQ(buddy->text(), "-437");
    int lo = 0, hi = 0;
    spin->GetRange32(lo, hi);
    EXPECT_EQ(lo, -437);
    EXPECT_EQ(hi, 74);
}

TEST_F(UpDownTest, EachStepIsProposedWithPositionAndDelta) {
    spin->SetPos32(5);
    spin->Step(1);
    spin->Step(-1, 5);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].idFrom, IDC_GAIN_R_SPIN);
    EXPECT_EQ(seen[0].iPos, 5);
    EXPECT_EQ(seen[0].iDelta, 1);
    EXPECT_EQ(seen[1].iPos, 6);
    EXPECT_EQ(seen[1].iDelta, -5);
    EXPECT_EQ(spin->GetPos32(), 1);
    EXPECT_EQ(buddy->text(), "1");
}

TEST_F(UpDownTest, AtTheEndTheStepIsStillProposedButThePositionStays) {
    spin->SetPos32(74);
    spin->Step(1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].iPos + seen[0].iDelta, 75);
    EXPECT_EQ(spin->GetPos32(), 74);
}

TEST_F(UpDownTest, TheHandlerMayRefuseOrChangeTheStep) {
    spin->SetPos32(0);
    handler = [](NmUpDown&) { return 1; };
    spin->Step(1);
    EXPECT_EQ(spin->GetPos32(), 0);
    handler = [](NmUpDown& nm) {
        nm.iDelta = 10;
        return 0;
    };
    spin->Step(1);
    EXPECT_EQ(spin->GetPos32(), 10);
    // A handler that moves the control (a reload) gets the step added to its new position.
    handler = [this](NmUpDown&) {
        spin->SetPos32(-20);
        return 0;
    };
    spin->Step(1);
    EXPECT_EQ(spin->GetPos32(), -19);
}

TEST_F(UpDownTest, ArrowKeysInTheBuddyStep) {
    spin->SetPos32(0);
    QTest::keyClick(buddy, Qt::Key_Up);
    QTest::keyClick(buddy, Qt::Key_Up);
    QTest::keyClick(buddy, Qt::Key_Down);
    EXPECT_EQ(spin->GetPos32(), 1);
    EXPECT_EQ(seen.size(), 3u);
    QTest::keyClick(buddy, Qt::Key_Left);  // not the spin's key
    EXPECT_EQ(seen.size(), 3u);
}

TEST_F(UpDownTest, ADisabledControlDoesNotStep) {
    spin->setEnabled(false);
    spin->Step(1);
    EXPECT_TRUE(seen.empty());
}

TEST_F(UpDownTest, AReversedRangeStepsTowardItsUpperBound) {
    spin->SetRange32(100, 0);
    spin->SetPos32(50);
    spin->Step(1);
    EXPECT_EQ(spin->GetPos32(), 49);
}

TEST_F(UpDownTest, HoldingAnArrowRepeatsWithWindowsAcceleration) {
    ManualTimers manual;
    spin->SetRange32(-100000, 100000);
    spin->SetPos32(0);
    QTest::mousePress(spin, Qt::LeftButton, {}, QPoint(5, 3));  // upper half
    EXPECT_EQ(spin->GetPos32(), 1);
    ASSERT_EQ(spin->Timers().Period(UpDown::kRepeatTimer), UpDown::kInitialDelayMs);
    // Held for 10 s in total: 1 per repeat until 2 s, then 5 until 5 s, then 20.
    int elapsed = 0;
    int expected = 1;
    while (elapsed < 10000) {
        elapsed += spin->Timers().Period(UpDown::kRepeatTimer);
        ASSERT_TRUE(spin->Timers().Fire(UpDown::kRepeatTimer));
        expected += elapsed >= 5000 ? 20 : elapsed >= 2000 ? 5 : 1;
        ASSERT_EQ(spin->GetPos32(), expected) << elapsed;
    }
    QTest::mouseRelease(spin, Qt::LeftButton, {}, QPoint(5, 3));
    EXPECT_FALSE(spin->Timers().IsRunning(UpDown::kRepeatTimer));

    QTest::mousePress(spin, Qt::LeftButton, {}, QPoint(5, 25));  // lower half
    EXPECT_EQ(spin->GetPos32(), expected - 1);
    QTest::mouseRelease(spin, Qt::LeftButton, {}, QPoint(5, 25));
}

TEST_F(UpDownTest, ABoxOrAHiddenOrDisabledControlEndsTheRepeatAtOnce) {
    ManualTimers manual;
    test::MessageBoxRecorder boxes;
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"box", [] { ShowMessageBox(nullptr, "text", "caption", kMbOk); }},
        {"hidden", [this] { host->hide(); }},
        {"disabled", [this] { spin->setEnabled(false); }},
    };
    for (const auto& [what, interrupt] : cases) {
        host->show();
        spin->setEnabled(true);
        QTest::mousePress(spin, Qt::LeftButton, {}, QPoint(5, 3));
        ASSERT_TRUE(spin->Timers().IsRunning(UpDown::kRepeatTimer)) << what;
        interrupt();
        EXPECT_FALSE(spin->Timers().Fire(UpDown::kRepeatTimer)) << what;
        QTest::mouseRelease(spin, Qt::LeftButton, {}, QPoint(5, 3));
    }
    EXPECT_EQ(seen.size(), 3u) << "one step per press";
}

TEST(UpDownAcceleration, DefaultTable) {
    EXPECT_EQ(UpDown::AcceleratedStep(0), 1);
    EXPECT_EQ(UpDown::AcceleratedStep(1999), 1);
    EXPECT_EQ(UpDown::AcceleratedStep(2000), 5);
    EXPECT_EQ(UpDown::AcceleratedStep(4999), 5);
    EXPECT_EQ(UpDown::AcceleratedStep(5000), 20);
}

// In a dialog the spin reports UDN_DELTAPOS through the message map and finds its buddy.
class SpinDialog : public Dialog {
public:
    std::vector<NmUpDown> deltas;
    LResult answer = 0;
    void OnPhase(NmUpDown* nm, LResult* result) {
        deltas.push_back(*nm);
        *result = answer;
    }
    static const MessageMap& ThisMessageMap() {
        static const MessageMap map{&Dialog::ThisMessageMap(),
                                    {OnUdnDeltaPos(IDC_PHASE_SPIN, &SpinDialog::OnPhase)}};
        return map;
    }
    const MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }
};

TEST(UpDownInDialog, NotifiesThroughTheMessageMapAndAutoBuddies) {
    SpinDialog dlg;
    ASSERT_TRUE(dlg.Create(134, nullptr));
    UpDown* phase = dlg.GetUpDown(IDC_PHASE_SPIN);
    ASSERT_NE(phase, nullptr);
    EXPECT_EQ(qt::Widget(*phase)->GetBuddy(), qt::Item(dlg, IDC_PHASE_EDIT));
    phase->SetRange32(0, 31);
    phase->SetPos32(16);
    phase->Step(1);
    ASSERT_EQ(dlg.deltas.size(), 1u);
    EXPECT_EQ(dlg.deltas[0].idFrom, IDC_PHASE_SPIN);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PHASE_EDIT), "17");
    dlg.answer = 1;
    phase->Step(1);
    EXPECT_EQ(phase->GetPos32(), 17);
    // Without a map row the step simply happens.
    UpDown* gain = dlg.GetUpDown(IDC_GAIN_R_SPIN);
    gain->SetRange32(-437, 74);
    gain->Step(-1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GAIN_R_EDIT), "-1");
}

}  // namespace
}  // namespace vexilo::ui
