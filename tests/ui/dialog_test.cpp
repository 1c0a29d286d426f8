#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "support/message_box_recorder.h"
#include "ui/dialog.h"
#include "ui/tab_ctrl.h"

namespace vexilo::ui {
namespace {

// A dialog on the analog RGB page template, with a bit of everything the pages use.
class KitDialog : public Dialog {
public:
    QString m_strSn;
    bool m_bEnable = false;
    int m_nFormat = 1;
    QString m_strDid;
    QLineEdit* m_edId = nullptr;
    std::vector<std::string> log;
    NmUpDown lastDelta;
    LResult deltaResult = 0;

    void DoDataExchange(DataExchange& dx) override {
        Dialog::DoDataExchange(dx);
        DDX_Text(dx, 1062, m_strSn);
        DDX_Check(dx, 1060, m_bEnable);
        DDX_Radio(dx, 1000, m_nFormat);
        DDX_CBString(dx, 1061, m_strDid);
        DDX_Control(dx, 1064, m_edId);
    }
    bool OnInitDialog() override {
        for (const char* did : {"0x50", "0x51", "0x5F"}) {
            ComboAddString(1061, QString::fromLatin1(did));
        }
        log.push_back("init");
        return Dialog::OnInitDialog();
    }
    virtual void OnFactory() { log.push_back("factory"); }
    void OnFormat() { log.push_back("format"); }
    void OnSnChange() { log.push_back("sn-change:" + GetDlgItemText(1062).toStdString()); }
    void OnSnKill() { log.push_back("sn-kill"); }
    void OnUpdate() { log.push_back("update"); }
    void OnDelta(NmUpDown* nm, LResult* result) {
        lastDelta = *nm;
        *result = deltaResult;
    }
    void OnTimer(int id) override { log.push_back("timer:" + std::to_string(id)); }
    void OnCancel() override {
        log.push_back("cancel");
        Dialog::OnCancel();
    }

    static const MessageMap& ThisMessageMap() {
        static const MessageMap map{&Dialog::ThisMessageMap(),
                                    {
                                        OnBnClicked(1018, &KitDialog::OnFactory),
                                        OnBnClickedRange(1000, 1001, &KitDialog::OnFormat),
                                        OnBnClicked(1011, &KitDialog::OnUpdate),
                                        OnEnChange(1062, &KitDialog::OnSnChange),
                                        OnEnKillFocus(1062, &KitDialog::OnSnKill),
                                        OnUdnDeltaPos(1042, &KitDialog::OnDelta),
                                    }};
        return map;
    }
    const MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }
};

// Overrides a virtual handler and puts a row of its own in front of the base rows.
class DerivedDialog : public KitDialog {
public:
    void OnFactory() override { log.push_back("derived-factory"); }
    void OnOwnUpdate() { log.push_back("derived-update"); }

    static const MessageMap& ThisMessageMap() {
        static const MessageMap map{&KitDialog::ThisMessageMap(),
                                    {OnBnClicked(1011, &DerivedDialog::OnOwnUpdate)}};
        return map;
    }
    const MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent = std::make_unique<QWidget>();
        dlg = new KitDialog;
        ASSERT_TRUE(dlg->Create(134, parent.get()));
    }
    std::unique_ptr<QWidget> parent;  // owns the dialog
    KitDialog* dlg = nullptr;
};

TEST_F(DialogTest, BuildsTheTemplateAtItsDialogUnitPositions) {
    EXPECT_EQ(dlg->log, std::vector<std::string>{"init"});
    EXPECT_TRUE(dlg->isHidden()) << "a child template without the visible style stays hidden";
    const BaseUnits& u = dlg->Units();
    EXPECT_EQ(dlg->size(), MapDialogRect(u, 0, 0, 447, 256).size());
    EXPECT_EQ(dlg->GetDlgItem(1011)->geometry(), MapDialogRect(u, 61, 156, 59, 13));
    EXPECT_EQ(dlg->GetDlgItem(1065)->geometry(), MapDialogRect(u, 296, 205, 132, 12));
    EXPECT_EQ(dlg->GetDlgItemText(1021), "FPGA Vev. : ");
    EXPECT_TRUE(dlg->DlgItem<QLineEdit>(1013)->isReadOnly());
    EXPECT_EQ(dlg->DlgItem<QLineEdit>(1025)->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    EXPECT_EQ(dlg->DefaultButtonId(), 1011);
    EXPECT_EQ(dlg->GetDlgItem(4711), nullptr);
    // The dialog font resolves to one of the template's choices that exists here.
    const QString family = QFontInfo(dlg->font()).family();
    EXPECT_TRUE(family == "MS UI Gothic" || family == "IPAPGothic" || family == "Noto Sans CJK JP")
        << family.toStdString();
}

TEST_F(DialogTest, ControlsByIdTolerateUnknownIds) {
    dlg->SetDlgItemText(4711, "x");
    dlg->EnableDlgItem(4711, false);
    dlg->CheckDlgButton(4711, true);
    EXPECT_EQ(dlg->GetDlgItemText(4711), "");
    EXPECT_FALSE(dlg->IsDlgItemEnabled(4711));
    EXPECT_EQ(dlg->GetRadioIndex(4711), -1);

    dlg->EnableDlgItem(1005, false);
    dlg->ShowDlgItem(1002, false);
    EXPECT_FALSE(dlg->IsDlgItemEnabled(1005));
    EXPECT_FALSE(dlg->IsDlgItemShown(1002));
    EXPECT_TRUE(dlg->IsDlgItemShown(1003));
}

TEST_F(DialogTest, RadioGroupsRunFromGroupStartToGroupStart) {
    auto* i = dlg->DlgItem<QRadioButton>(1000);
    auto* p = dlg->DlgItem<QRadioButton>(1001);
    EXPECT_TRUE(p->isChecked()) << "loaded from m_nFormat = 1";
    EXPECT_EQ(dlg->GetRadioIndex(1000), 1);
    dlg->SetRadioIndex(1005, 0);
    QTest::mouseClick(i, Qt::LeftButton);
    EXPECT_TRUE(i->isChecked());
    EXPECT_FALSE(p->isChecked());
    EXPECT_EQ(dlg->GetRadioIndex(1005), 0) << "another group is not touched";
    EXPECT_EQ(dlg->GetRadioIndex(1004), -1) << "sync group: nothing checked yet";
    // An index outside the group clears it, and the group then reports none.
    dlg->SetRadioIndex(1002, 2);
    EXPECT_EQ(dlg->GetRadioIndex(1002), -1);
    dlg->SetRadioIndex(1004, 2);
    EXPECT_EQ(dlg->GetRadioIndex(1004), 2);
    EXPECT_EQ(dlg->log.back(), "format") << "a click reports BN_CLICKED";
}

TEST_F(DialogTest, DataExchangeBothWays) {
    dlg->m_strSn = "1234";
    dlg->m_bEnable = true;
    dlg->m_nFormat = 0;
    dlg->m_strDid = "0x5";  // prefix match, as a drop-down list selects
    dlg->UpdateData(false);
    EXPECT_EQ(dlg->GetDlgItemText(1062), "1234");
    EXPECT_TRUE(dlg->IsDlgButtonChecked(1060));
    EXPECT_EQ(dlg->GetRadioIndex(1000), 0);
    EXPECT_EQ(dlg->ComboGetCurSel(1061), 0);
    EXPECT_EQ(dlg->m_edId, dlg->GetDlgItem(1064));

    dlg->SetDlgItemText(1062, "99");
    dlg->CheckDlgButton(1060, false);
    dlg->ComboSetCurSel(1061, 2);
    dlg->SetRadioIndex(1000, -1);
    dlg->UpdateData(true);
    EXPECT_EQ(dlg->m_strSn, "99");
    EXPECT_FALSE(dlg->m_bEnable);
    EXPECT_EQ(dlg->m_strDid, "0x5F");
    EXPECT_EQ(dlg->m_nFormat, -1);

    // An empty text selects nothing; a text the list lacks keeps the selection.
    dlg->m_strDid = "0x77";
    dlg->UpdateData(false);
    EXPECT_EQ(dlg->ComboGetCurSel(1061), 2);
    dlg->m_strDid.clear();
    dlg->UpdateData(false);
    EXPECT_EQ(dlg->ComboGetCurSel(1061), -1);
    dlg->UpdateData(true);
    EXPECT_EQ(dlg->m_strDid, "");
}

TEST_F(DialogTest, ComboAndEditAccess) {
    EXPECT_EQ(dlg->ComboGetCount(1061), 3);
    EXPECT_EQ(dlg->ComboFindStringExact(1061, "0x51"), 1);
    EXPECT_EQ(dlg->ComboFindStringExact(1061, "0x5"), -1);
    EXPECT_EQ(dlg->ComboGetLBText(1061, 2), "0x5F");
    dlg->ComboResetContent(1061);
    EXPECT_EQ(dlg->ComboGetCount(1061), 0);

    dlg->SetDlgItemText(1064, "ABCDEF");
    auto* edit = dlg->DlgItem<QLineEdit>(1064);
    dlg->EditSetSel(1064, 6, 6);
    EXPECT_EQ(edit->cursorPosition(), 6);
    dlg->EditSetSel(1064, 1, 3);
    EXPECT_EQ(edit->selectedText(), "BC");
    dlg->EditSelectAll(1064);
    EXPECT_EQ(edit->selectedText(), "ABCDEF");
}

TEST_F(DialogTest, MessageMapsReachOverridesAndDerivedRowsComeFirst) {
    auto derivedParent = std::make_unique<QWidget>();
    auto* derived = new DerivedDialog;
    ASSERT_TRUE(derived->Create(134, derivedParent.get()));
    derived->log.clear();
    derived->DlgItem<QPushButton>(1018)->click();   // base row, virtual handler
    derived->DlgItem<QPushButton>(1011)->click();   // derived row hides the base row
    derived->DlgItem<QRadioButton>(1001)->click();  // base range row
    EXPECT_EQ(derived->log,
              (std::vector<std::string>{"derived-factory", "derived-update", "format"}));
    EXPECT_FALSE(derived->Dispatch(Notify::BnClicked, 1058));
}

TEST_F(DialogTest, EditNotificationsIncludeThePagesOwnWriting) {
    dlg->log.clear();
    dlg->SetDlgItemText(1062, "12");
    EXPECT_EQ(dlg->log, std::vector<std::string>{"sn-change:12"});
}

TEST(DialogFocus, KillFocusIsReportedWhenTheFocusLeavesAnEdit) {
    KitDialog dlg;
    ASSERT_TRUE(dlg.Create(134, nullptr));
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    dlg.GotoDlgCtrl(1062);
    ASSERT_EQ(QApplication::focusWidget(), dlg.GetDlgItem(1062));
    dlg.log.clear();
    dlg.GotoDlgCtrl(1064);
    EXPECT_EQ(dlg.log, std::vector<std::string>{"sn-kill"});
}

TEST(DialogKeys, EnterPressesTheFocusedOrDefaultButtonAndEscapeCancels) {
    KitDialog dlg;
    ASSERT_TRUE(dlg.Create(134, nullptr));
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));

    dlg.GotoDlgCtrl(1062);
    dlg.log.clear();
    QTest::keyClick(dlg.GetDlgItem(1062), Qt::Key_Return);
    EXPECT_EQ(dlg.log, std::vector<std::string>{"update"}) << "default button 1011";

    dlg.EnableDlgItem(1011, false);
    dlg.log.clear();
    QTest::keyClick(dlg.GetDlgItem(1062), Qt::Key_Return);
    EXPECT_TRUE(dlg.log.empty()) << "a disabled default button is not pressed";

    dlg.GotoDlgCtrl(1018);
    dlg.log.clear();
    QTest::keyClick(dlg.GetDlgItem(1018), Qt::Key_Return);
    EXPECT_EQ(dlg.log, std::vector<std::string>{"factory"}) << "the focused push button";

    dlg.log.clear();
    QTest::keyClick(dlg.GetDlgItem(1062), Qt::Key_Escape);
    EXPECT_EQ(dlg.log, std::vector<std::string>{"cancel"});
    EXPECT_TRUE(dlg.isHidden()) << "a dialog that is not modal hides on EndDialog";
}

// The main window's rule: Enter and Escape reach the focused control and go no further.
class NoKeysDialog : public Dialog {
public:
    NoKeysDialog() : Dialog(102) {}
    std::vector<int> clicked;
    bool PreTranslateKeyDown(int key) override {
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            return false;
        }
        return Dialog::PreTranslateKeyDown(key);
    }
    void OnOK() override { clicked.push_back(kIdOk); }
    void OnCancel() override { clicked.push_back(kIdCancel); }
};

TEST(DialogKeys, ADialogMayRefuseEnterAndEscape) {
    NoKeysDialog dlg;
    ASSERT_TRUE(dlg.Create(102, nullptr));
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    for (int id : {kIdCancel, kIdOk, 1023}) {
        dlg.GotoDlgCtrl(id);
        QTest::keyClick(dlg.GetDlgItem(id), Qt::Key_Return);
        QTest::keyClick(dlg.GetDlgItem(id), Qt::Key_Escape);
    }
    EXPECT_TRUE(dlg.clicked.empty());
    EXPECT_FALSE(dlg.isHidden());
    dlg.DlgItem<QPushButton>(kIdOk)->click();  // the buttons themselves still work
    EXPECT_EQ(dlg.clicked, std::vector<int>{kIdOk});
}

TEST(DialogModal, RunsUntilEndDialogAndACloseRequestIsCancel) {
    Dialog dlg(102);
    dlg.PostCall([&dlg] { dlg.EndDialog(7); });
    EXPECT_EQ(dlg.DoModal(), 7);
    EXPECT_EQ(dlg.windowTitle(), "Vexilo");
    EXPECT_NE(dlg.DlgItem<TabCtrl>(1023), nullptr);

    dlg.PostCall([&dlg] { dlg.close(); });
    EXPECT_EQ(dlg.DoModal(), kIdCancel);
    EXPECT_EQ(Dialog(4711).DoModal(), -1);
}

TEST(DialogTimers, ManualTimersFireOnlyWhileSet) {
    ManualTimers manual;
    KitDialog dlg;
    ASSERT_TRUE(dlg.Create(134, nullptr));
    dlg.log.clear();
    EXPECT_FALSE(dlg.Timers().Fire(1));
    EXPECT_EQ(dlg.SetTimer(1, 2000), 1);
    EXPECT_TRUE(dlg.IsTimerRunning(1));
    EXPECT_EQ(dlg.Timers().Period(1), 2000);
    EXPECT_TRUE(dlg.Timers().Fire(1));
    EXPECT_TRUE(dlg.KillTimer(1));
    EXPECT_FALSE(dlg.KillTimer(1));
    EXPECT_FALSE(dlg.Timers().Fire(1));
    EXPECT_EQ(dlg.log, std::vector<std::string>{"timer:1"});
}

TEST(DialogTimers, RealTimersTick) {
    KitDialog dlg;
    ASSERT_TRUE(dlg.Create(134, nullptr));
    dlg.log.clear();
    dlg.SetTimer(3, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg.log.empty(); }, 5000));
    dlg.KillTimer(3);
    EXPECT_EQ(dlg.log.front(), "timer:3");
}

TEST(DialogPost, PostedCallsRunLaterAndNotAfterTheDialogIsGone) {
    int runs = 0;
    {
        KitDialog dlg;
        dlg.PostCall([&runs] { ++runs; });
        EXPECT_EQ(runs, 0);
        QCoreApplication::processEvents();
        EXPECT_EQ(runs, 1);
        dlg.PostCall([&runs] { ++runs; });
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
}

TEST(MessageBoxSeam, RecordsAndRestores) {
    {
        test::MessageBoxRecorder boxes;
        QWidget owner;
        EXPECT_EQ(ShowMessageBox(&owner, "text", "caption", kMbIconExclamation | kMbOk), kIdOk);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].caption, "caption");
        EXPECT_EQ(boxes.boxes[0].text, "text");
        EXPECT_EQ(boxes.boxes[0].style, 0x30u);
        EXPECT_TRUE(boxes.boxes[0].owned);
    }
    // The default handler is back: it shows a real box, which a posted call closes.
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->inherits("QMessageBox")) {
                w->close();
            }
        }
    });
    EXPECT_EQ(ShowMessageBox(nullptr, "real", "box", kMbIconInformation), kIdOk);
}

TEST(MessageBoxSeam, TheRealBoxIsWideEnoughForItsTitle) {
    const QString title = "KTP-DVI-SDI (ttyACM4) ERROR";
    int width = 0;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->inherits("QMessageBox")) {
                width = w->width();
                w->close();
            }
        }
    });
    ShowMessageBox(nullptr, "short", title, kMbIconExclamation);
    EXPECT_GT(width, QFontMetrics(QApplication::font()).horizontalAdvance(title) + 100);
}

}  // namespace
}  // namespace vexilo::ui
