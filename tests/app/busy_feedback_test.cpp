// The busy cursor over slow converter commands and the start-up progress window, on a clock the
// test moves.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QPushButton>

#include "app/busy_feedback.h"
#include "app/startup_progress.h"

namespace vexilo {
namespace {

struct BusyFeedbackTest : ::testing::Test {
    static bool WaitCursor() {
        const QCursor* c = QApplication::overrideCursor();
        return c != nullptr && c->shape() == Qt::WaitCursor;
    }
    qint64 now = 1000;
    BusyFeedback busy{[this] { return now; }};
};

TEST_F(BusyFeedbackTest, TheCursorTurnsBusyAfterAHundredMillisecondsAndBackWhenTheStepIsDone) {
    busy.CommandStarted();
    now += 99;
    busy.StillWaiting();
    EXPECT_FALSE(WaitCursor());
    now += 1;
    busy.StillWaiting();
    EXPECT_TRUE(WaitCursor());
    busy.CommandStarted();  // a nested command keeps it busy
    busy.CommandFinished();
    EXPECT_TRUE(WaitCursor());
    busy.CommandFinished();
    EXPECT_FALSE(busy.InCommand());
    // The handler's next command follows at once: no arrow in between, even when that command
    // lets the windows repaint.
    EXPECT_TRUE(WaitCursor());
    busy.CommandStarted();
    busy.Repaint();
    EXPECT_TRUE(WaitCursor());
    busy.CommandFinished();
    EXPECT_TRUE(WaitCursor());
    QCoreApplication::processEvents();  // the handler has returned to the event loop
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    busy.CommandStarted();  // a quick command changes nothing
    now += 30;
    busy.StillWaiting();
    busy.CommandFinished();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    busy.CommandFinished();  // unbalanced: ignored
    EXPECT_FALSE(busy.InCommand());
}

TEST_F(BusyFeedbackTest, ProgressAppearsOnlyAfterThreeHundredMillisecondsAndGoesForGood) {
    StartupProgress progress([this] { return now; });
    int shown = 0;
    progress.m_onShown = [&](QWidget&) { ++shown; };
    busy.SetProgress(&progress);
    now = 0;
    progress.Step("ttyACM0", 0, 3);
    busy.CommandStarted();
    now = 299;
    busy.CommandFinished();
    EXPECT_FALSE(progress.isVisible());

    busy.CommandStarted();
    now = 300;
    busy.StillWaiting();  // start-up is still waiting: the window appears during the wait
    EXPECT_TRUE(progress.isVisible());
    busy.CommandFinished();
    progress.Step("ttyACM1", 1, 3);
    EXPECT_EQ(progress.Text(), QString::fromUtf8("ttyACM1 と通信しています…\n1 / 3 台完了"));
    EXPECT_EQ(shown, 1);
    EXPECT_GE(progress.FirstPaintMs(), 300);

    progress.Finish();
    busy.SetProgress(nullptr);
    EXPECT_FALSE(progress.isVisible());
    EXPECT_FALSE(progress.Poll());
    EXPECT_EQ(shown, 1);
}

TEST_F(BusyFeedbackTest, ProgressListsEveryConverterGoesOnWithTheReadyOnesAndClosingQuits) {
    StartupProgress progress([this] { return now; });
    using State = ParallelStartup::State;
    std::vector<StartupRow> rows{{"ttyACM0", {State::kContacting, model::Fault::kNone}},
                                 {"ttyACM1", {State::kFailed, model::Fault::kBootUpdater}}};
    progress.ShowConverters(rows);
    EXPECT_EQ(progress.ConvertersText(),
              QString::fromUtf8("ttyACM0: 通信中…\nttyACM1: 失敗: "
                                "ブートファームウェア更新用ファームウェアで起動しています"));
    EXPECT_EQ(progress.Text(), QString::fromUtf8("コンバーターと通信しています…\n1 / 2 台完了"));
    EXPECT_FALSE(progress.GoOnButton()->isEnabled());  // nothing ready to go on with
    rows[0].status.state = State::kReady;
    progress.ShowConverters(rows);
    EXPECT_TRUE(progress.ConvertersText().startsWith(QString::fromUtf8("ttyACM0: 準備完了\n")));
    ASSERT_TRUE(progress.GoOnButton()->isEnabled());
    EXPECT_EQ(progress.Choice(), StartupChoice::kWait);
    progress.GoOnButton()->click();
    EXPECT_EQ(progress.Choice(), StartupChoice::kGoOn);
    progress.close();
    EXPECT_EQ(progress.Choice(), StartupChoice::kQuit);
}

}  // namespace
}  // namespace vexilo
