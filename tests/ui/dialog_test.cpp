#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "support/message_box_recorder.h"
#include "ui/dialog.h"
#include "ui/qt_backend.h"
#include "ui/resource.h"

namespace vexilo::ui {
namespace {

// A dialog on the analog RGB page template, with a bit of everything the pages use.
class KitDialog : public Dialog {
public:
    std::string m_strSn;
    bool m_bEnable = false;
    int m_nFormat = 1;
    std::string m_strDid;
    UpDown* m_spinPhase = nullptr;
    std::vector<std::string> log;
    NmUpDown lastDelta;
    LResult deltaResult = 0;

    void DoDataExchange(DataExchange& dx) override {
        Dialog::DoDataExchange(dx);
        DDX_Text(dx, IDC_ID_SN, m_strSn);
        DDX_Check(dx, IDC_ID_ENABLE, m_bEnable);
        DDX_Radio(dx, IDC_OUTPUT_59I, m_nFormat);
        DDX_CBString(dx, IDC_ID_DID, m_strDid);
        DDX_Control(dx, IDC_PHASE_SPIN, m_spinPhase);
    }
    bool OnInitDialog() override {
        for (const char* did : {"0x50", "0x51", "0x5F"}) {
            ComboAddString(IDC_ID_DID, did);
        }
        log.push_back("init");
        return Dialog::OnInitDialog();
    }
    virtual void OnFactory() { log.push_back("factory"); }
    void OnFormat() { log.push_back("format"); }
    void OnSnChange() { log.push_back("sn-change:" + GetDlgItemText(IDC_ID_SN)); }
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
        static const MessageMap map{
            &Dialog::ThisMessageMap(),
            {
                OnBnClicked(IDC_FACTORY, &KitDialog::OnFactory),
                OnBnClickedRange(IDC_OUTPUT_59I, IDC_OUTPUT_59P, &KitDialog::OnFormat),
                OnBnClicked(IDC_UPDATE, &KitDialog::OnUpdate),
                OnEnChange(IDC_ID_SN, &KitDialog::OnSnChange),
                OnEnKillFocus(IDC_ID_SN, &KitDialog::OnSnKill),
                OnUdnDeltaPos(IDC_PHASE_SPIN, &KitDialog::OnDelta),
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
                                    {OnBnClicked(IDC_UPDATE, &DerivedDialog::OnOwnUpdate)}};
        return map;
    }
    const MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dlg->Create(134, &parent)); }
    qt::TabCtrlWidget parent;  // the page area holds the dialog's window
    std::unique_ptr<KitDialog> dlg = std::make_unique<KitDialog>();
};

TEST_F(DialogTest, BuildsTheTemplateAtItsDialogUnitPositions) {
    EXPECT_EQ(dlg->log, std::vector<std::string>{"init"});
    EXPECT_TRUE(qt::Window(*dlg)->isHidden())
        << "a child template without the visible style stays hidden";
    EXPECT_EQ(qt::Window(*dlg)->parentWidget(), parent.PageArea());
    const BaseUnits& u = dlg->Units();
    EXPECT_EQ(dlg->GetClientSize(), MapDialogRect(u, 0, 0, 447, 256).GetSize());
    EXPECT_EQ(dlg->GetDlgItemRect(IDC_UPDATE), MapDialogRect(u, 61, 156, 59, 13));
    EXPECT_EQ(dlg->GetDlgItemRect(IDC_ID_NAME), MapDialogRect(u, 296, 205, 132, 12));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_FPGA_VER), "FPGA Vev. : ");
    EXPECT_TRUE(qt::ItemAs<QLineEdit>(*dlg, IDC_WIDTH)->isReadOnly());
    EXPECT_EQ(qt::ItemAs<QLineEdit>(*dlg, IDC_HPOS_EDIT)->alignment() & Qt::AlignHCenter,
              Qt::AlignHCenter);
    EXPECT_EQ(dlg->DefaultButtonId(), IDC_UPDATE);
    EXPECT_FALSE(dlg->HasDlgItem(4711));
    // A unit after its edit shares the edit's line and is centred on it, as the edit's text is.
    const auto controls = qt::Controls(*dlg);
    for (std::size_t i = 1; i < controls.size(); ++i) {
        if (controls[i - 1].first->id == IDC_FPGA_TEMP ||
            controls[i - 1].first->id == IDC_VOLTAGE) {
            auto* unit = qobject_cast<QLabel*>(controls[i].second);
            ASSERT_NE(unit, nullptr);
            const QRect edit = controls[i - 1].second->geometry();
            const int line = unit->fontMetrics().height();
            EXPECT_EQ(unit->y(), edit.y() + (edit.height() - line + 1) / 2);
            EXPECT_EQ(unit->height(), line);
        }
    }
    // The dialog font resolves to one of the template's choices that exists here.
    const QString family = QFontInfo(qt::Window(*dlg)->font()).family();
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

    dlg->EnableDlgItem(IDC_LEVEL_A, false);
    dlg->ShowDlgItem(IDC_SCALER_ALWAYS, false);
    EXPECT_FALSE(dlg->IsDlgItemEnabled(IDC_LEVEL_A));
    EXPECT_FALSE(dlg->IsDlgItemShown(IDC_SCALER_ALWAYS));
    EXPECT_TRUE(dlg->IsDlgItemShown(IDC_SCALER_SYNC));
}

TEST_F(DialogTest, RadioGroupsRunFromGroupStartToGroupStart) {
    auto* i = qt::ItemAs<QRadioButton>(*dlg, IDC_OUTPUT_59I);
    auto* p = qt::ItemAs<QRadioButton>(*dlg, IDC_OUTPUT_59P);
    EXPECT_TRUE(p->isChecked()) << "loaded from m_nFormat = 1";
    EXPECT_EQ(dlg->GetRadioIndex(IDC_OUTPUT_59I), 1);
    dlg->SetRadioIndex(IDC_LEVEL_A, 0);
    QTest::mouseClick(i, Qt::LeftButton);
    EXPECT_TRUE(i->isChecked());
    EXPECT_FALSE(p->isChecked());
    EXPECT_EQ(dlg->GetRadioIndex(IDC_LEVEL_A), 0) << "another group is not touched";
    EXPECT_EQ(dlg->GetRadioIndex(IDC_SYNC_RGB), -1) << "sync group: nothing checked yet";
    // An index outside the group clears it, and the group then reports none.
    dlg->SetRadioIndex(IDC_SCALER_ALWAYS, 2);
    EXPECT_EQ(dlg->GetRadioIndex(IDC_SCALER_ALWAYS), -1);
    dlg->SetRadioIndex(IDC_SYNC_RGB, 2);
    EXPECT_EQ(dlg->GetRadioIndex(IDC_SYNC_RGB), 2);
    EXPECT_EQ(dlg->log.back(), "format") << "a click reports BN_CLICKED";
}

TEST_F(DialogTest, DataExchangeBothWays) {
    dlg->m_strSn = "1234";
    dlg->m_bEnable = true;
    dlg->m_nFormat = 0;
    dlg->m_strDid = "0x5";  // prefix match, as a drop-down list selects
    dlg->UpdateData(false);
    EXPECT_EQ(dlg->GetDlgItemText(IDC_ID_SN), "1234");
    EXPECT_TRUE(dlg->IsDlgButtonChecked(IDC_ID_ENABLE));
    EXPECT_EQ(dlg->GetRadioIndex(IDC_OUTPUT_59I), 0);
    EXPECT_EQ(dlg->ComboGetCurSel(IDC_ID_DID), 0);
    EXPECT_NE(dlg->m_spinPhase, nullptr);
    EXPECT_EQ(dlg->m_spinPhase, dlg->GetUpDown(IDC_PHASE_SPIN));

    dlg->SetDlgItemText(IDC_ID_SN, "99");
    dlg->CheckDlgButton(IDC_ID_ENABLE, false);
    dlg->ComboSetCurSel(IDC_ID_DID, 2);
    dlg->SetRadioIndex(IDC_OUTPUT_59I, -1);
    dlg->UpdateData(true);
    EXPECT_EQ(dlg->m_strSn, "99");
    EXPECT_FALSE(dlg->m_bEnable);
    EXPECT_EQ(dlg->m_strDid, "0x5F");
    EXPECT_EQ(dlg->m_nFormat, -1);

    // An empty text selects nothing; a text the list lacks keeps the selection.
    dlg->m_strDid = "0x77";
    dlg->UpdateData(false);
    EXPECT_EQ(dlg->ComboGetCurSel(IDC_ID_DID), 2);
    dlg->m_strDid.clear();
    dlg->UpdateData(false);
    EXPECT_EQ(dlg->ComboGetCurSel(IDC_ID_DID), -1);
    dlg->UpdateData(true);
    EXPECT_EQ(dlg->m_strDid, "");
}

TEST_F(DialogTest, ComboAndEditAccess) {
    EXPECT_EQ(dlg->ComboGetCount(IDC_ID_DID), 3);
    EXPECT_EQ(dlg->ComboFindStringExact(IDC_ID_DID, "0x51"), 1);
    EXPECT_EQ(dlg->ComboFindStringExact(IDC_ID_DID, "0x5"), -1);
    EXPECT_EQ(dlg->ComboGetLBText(IDC_ID_DID, 2), "0x5F");
    dlg->ComboResetContent(IDC_ID_DID);
    EXPECT_EQ(dlg->ComboGetCount(IDC_ID_DID), 0);

    dlg->SetDlgItemText(IDC_ID_ID, "ABCDEF");
    auto* edit = qt::ItemAs<QLineEdit>(*dlg, IDC_ID_ID);
    dlg->EditSetSel(IDC_ID_ID, 6, 6);
    EXPECT_EQ(edit->cursorPosition(), 6);
    dlg->EditSetSel(IDC_ID_ID, 1, 3);
    EXPECT_EQ(edit->selectedText(), "BC");
    dlg->EditSelectAll(IDC_ID_ID);
    EXPECT_EQ(edit->selectedText(), "ABCDEF");
}

TEST_F(DialogTest, MessageMapsReachOverridesAndDerivedRowsComeFirst) {
    auto derived = std::make_unique<DerivedDialog>();
    ASSERT_TRUE(derived->Create(134, &parent));
    derived->log.clear();
    qt::ItemAs<QPushButton>(*derived, IDC_FACTORY)->click();      // base row, virtual handler
    qt::ItemAs<QPushButton>(*derived, IDC_UPDATE)->click();       // derived row hides the base row
    qt::ItemAs<QRadioButton>(*derived, IDC_OUTPUT_59P)->click();  // base range row
    EXPECT_EQ(derived->log,
              (std::vector<std::string>{"derived-factory", "derived-update", "format"}));
    EXPECT_FALSE(derived->Dispatch(Notify::BnClicked, IDC_ADJUST_FACTORY));
}

TEST_F(DialogTest, EditNotificationsIncludeThePagesOwnWriting) {
    dlg->log.clear();
    dlg->SetDlgItemText(IDC_ID_SN, "12");
    EXPECT_EQ(dlg->log, std::vector<std::string>{"sn-change:12"});
}

TEST(DialogFocus, KillFocusIsReportedWhenTheFocusLeavesAnEdit) {
    KitDialog dlg;
    ASSERT_TRUE(dlg.Create(134, nullptr));
    QWidget* window = qt::Window(dlg);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    dlg.GotoDlgCtrl(IDC_ID_SN);
    ASSERT_EQ(QApplication::focusWidget(), qt::Item(dlg, IDC_ID_SN));
    dlg.log.clear();
    dlg.GotoDlgCtrl(IDC_ID_ID);
    EXPECT_EQ(dlg.log, std::vector<std::string>{"sn-kill"});
}

TEST(DialogKeys, EnterPressesTheFocusedOrDefaultButtonAndEscapeCancels) {
    KitDialog dlg;
    ASSERT_TRUE(dlg.Create(134, nullptr));
    QWidget* window = qt::Window(dlg);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));

    dlg.GotoDlgCtrl(IDC_ID_SN);
    dlg.log.clear();
    QTest::keyClick(qt::Item(dlg, IDC_ID_SN), Qt::Key_Return);
    EXPECT_EQ(dlg.log, std::vector<std::string>{"update"}) << "default button IDC_UPDATE";

    dlg.EnableDlgItem(IDC_UPDATE, false);
    dlg.log.clear();
    QTest::keyClick(qt::Item(dlg, IDC_ID_SN), Qt::Key_Return);
    EXPECT_TRUE(dlg.log.empty()) << "a disabled default button is not pressed";

    dlg.GotoDlgCtrl(IDC_FACTORY);
    dlg.log.clear();
    QTest::keyClick(qt::Item(dlg, IDC_FACTORY), Qt::Key_Return);
    EXPECT_EQ(dlg.log, std::vector<std::string>{"factory"}) << "the focused push button";

    dlg.log.clear();
    QTest::keyClick(qt::Item(dlg, IDC_ID_SN), Qt::Key_Escape);
    EXPECT_EQ(dlg.log, std::vector<std::string>{"cancel"});
    EXPECT_TRUE(window->isHidden()) << "a dialog that is not modal hides on EndDialog";
}

// The main window's rule: Enter and Escape reach the focused control and go no further.
class NoKeysDialog : public Dialog {
public:
    NoKeysDialog() : Dialog(102) {}
    std::vector<int> clicked;
    bool PreTranslateKeyDown(int key) override {
        if (key == kKeyReturn || key == kKeyEscape) {
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
    QWidget* window = qt::Window(dlg);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    for (int id : {kIdCancel, kIdOk, int{IDC_TAB}}) {
        dlg.GotoDlgCtrl(id);
        QTest::keyClick(qt::Item(dlg, id), Qt::Key_Return);
        QTest::keyClick(qt::Item(dlg, id), Qt::Key_Escape);
    }
    EXPECT_TRUE(dlg.clicked.empty());
    EXPECT_FALSE(window->isHidden());
    qt::ItemAs<QPushButton>(dlg, kIdOk)->click();  // the buttons themselves still work
    EXPECT_EQ(dlg.clicked, std::vector<int>{kIdOk});
}

TEST(DialogModal, RunsUntilEndDialogAndACloseRequestIsCancel) {
    Dialog dlg(102);
    dlg.PostCall([&dlg] { dlg.EndDialog(7); });
    EXPECT_EQ(dlg.DoModal(), 7);
    EXPECT_EQ(dlg.GetWindowText(), "Vexilo");
    EXPECT_NE(dlg.GetTabCtrl(IDC_TAB), nullptr);

    dlg.PostCall([&dlg] { qt::Window(dlg)->close(); });
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
        Dialog owner;
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

// A box's lines break only at spaces or after Japanese punctuation, never inside a word, and its
// digits and letters come from the dialogs' font, as its kana do.
TEST(MessageBoxSeam, LinesBreakBetweenPhrasesInTheDialogFont) {
    const std::string utf8 =
        "ttyACM0: /dev/ttyACM0 を開く権限がありません。\nudev ルール 60-vexilo.rules "
        "をインストールするか、ユーザーを dialout グループに追加して再ログインしてください。";
    const QString text = QString::fromStdString(utf8);
    QMessageBox box;
    qt::SetUpMessageBox(box, utf8, "KTP Series ERROR", kMbIconExclamation);
    const auto tpl = LoadDialogTemplate(IDD_VEXILO_DIALOG);
    ASSERT_TRUE(tpl);
    EXPECT_EQ(box.font().families(), qt::ToQFont(DialogFont(tpl->fontFamilies, 9)).families());
    const QStringList lines = box.text().split('\n');
    EXPECT_GT(lines.size(), 2) << "the long line was broken";
    QString joined = lines.value(0);
    for (int i = 1; i < lines.size(); ++i) {
        const bool atPunctuation =
            joined.endsWith(QString::fromUtf8("、")) || joined.endsWith(QString::fromUtf8("。"));
        const QString rest = text.mid(joined.size());
        // Each break stands where the text had a line break or a space, or follows 、 or 。.
        QString gap;
        if (rest.startsWith('\n' + lines[i]) || rest.startsWith(' ' + lines[i])) {
            gap = rest.left(1);
        } else {
            ASSERT_TRUE(atPunctuation && rest.startsWith(lines[i])) << lines[i].toStdString();
        }
        joined += gap + lines[i];
    }
    EXPECT_EQ(joined, text);
}

TEST(MessageBoxSeam, TheRealBoxIsWideEnoughForItsTitle) {
    const std::string title = "KTP-DVI-SDI (ttyACM4) ERROR";
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
    EXPECT_GT(
        width,
        QFontMetrics(QApplication::font()).horizontalAdvance(QString::fromStdString(title)) + 100);
}

}  // namespace
}  // namespace vexilo::ui
