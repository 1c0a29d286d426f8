// The main window on simulated converters served in-process: start-up, captions, dropped pages,
// tab switches with their connection check, the three buttons, keys, the logo.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/hotplug_watcher.h"
#include "app/screenshot.h"
#include "app/vexilo_app.h"
#include "app/vexilo_dlg.h"
#include "app/vexilo_dlg_qt.h"
#include "pages/argb_dialog.h"
#include "pages/cvbs_dialog.h"
#include "pages/dvid_dialog.h"
#include "pages/test_page.h"
#include "serial/wait_observer.h"
#include "sim/sim_comm.h"
#include "sim/sim_converter.h"
#include "support/fake_comm.h"
#include "support/message_box_recorder.h"
#include "support/messages.h"
#include "ui/qt_backend.h"
#include "ui/window_timers.h"

QT_BEGIN_NAMESPACE
// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace vexilo {
namespace {

using test::kNoResponseText;

class MainWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        dlg.reset();
        SetDeviceSource({});
    }

    // A simulated converter on a port labelled `label`, listed after the ones added before.
    std::shared_ptr<CSimConverter> Add(SimKind kind, const std::string& label, int series = 1) {
        SimConfig config = SimConfig::For(kind);
        config.seriesCode = static_cast<std::uint8_t>(series);
        auto model = std::make_shared<CSimConverter>(config);
        entries.push_back(SimPort(model, label));
        return model;
    }

    PageFactory Factory() {
        return {[this](Kind kind) -> std::unique_ptr<CDevDialog> {
                    kinds.push_back(kind);
                    return std::make_unique<test::CTestPage>();
                },
                [this](Kind kind) {
                    const int id = kind == Kind::Rgb ? 134 : kind == Kind::Ntsc ? 135 : 133;
                    templates.push_back(id);
                    return id;
                }};
    }

    // Construction and OnInitDialog, as DoModal runs them, without the modal loop.
    CVexiloDlg& Open(bool showSave = false, PageFactory factory = {}) {
        ListEntries();
        dlg = std::make_unique<CVexiloDlg>(showSave, factory.create ? factory : Factory());
        dlg->Create(IDD_VEXILO_DIALOG, nullptr);
        dlg->ShowWindow(true);
        return *dlg;
    }

    // Discovery finds the converters added so far.
    void ListEntries() {
        SetDeviceSource([this, list = entries] {
            ++listings;
            return list;
        });
    }

    std::vector<std::string> Captions() const {
        std::vector<std::string> out;
        for (int i = 0; i < dlg->TabControl().GetItemCount(); ++i) {
            out.push_back(dlg->TabControl().GetItemText(i));
        }
        return out;
    }

    // A click on tab `index`, as the user makes it.
    void ClickTab(int index) {
        QWidget* tab = ui::qt::Widget(dlg->TabControl());
        const QPoint at = ui::qt::ToQRect(dlg->TabControl().GetItemRect(index)).center();
        auto* bar = dynamic_cast<QTabBar*>(tab->childAt(at));
        ASSERT_NE(bar, nullptr);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->mapFrom(tab, at));
    }

    static int Count(const CSimConverter& model, std::uint8_t command) {
        int n = 0;
        for (const SimRequest& r : model.Log()) {
            n += r.command == command ? 1 : 0;
        }
        return n;
    }

    std::vector<Port> entries;
    int listings = 0;  // enumerations made
    std::vector<Kind> kinds;
    std::vector<int> templates;
    ui::ManualTimers manualTimers;
    test::MessageBoxRecorder boxes;
    std::unique_ptr<CVexiloDlg> dlg;
};

TEST_F(MainWindowTest, OneConverterGetsOneTabShownAtOnceAndItsPortClosesWithTheWindow) {
    auto rgb = Add(SimKind::Rgb, "ttyACM0");
    CVexiloDlg& w = Open();
    ASSERT_EQ(w.PageCount(), 1);
    EXPECT_EQ(Captions(), std::vector<std::string>{"KTP-RGB-SDI (ttyACM0)"});
    EXPECT_EQ(w.TabControl().GetCurSel(), 0);
    CDevDialog* page = w.Page(0);
    EXPECT_TRUE(page->IsWindowVisible());
    EXPECT_EQ(page->MainWindow(), &w);
    EXPECT_EQ(page->TabIndex(), 0);
    EXPECT_EQ(w.OpenTabs(), 1);
    // The start-up check of the page, then the check of showing its tab (one try, no data).
    const auto log = rgb->Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().command, 0x00);
    EXPECT_TRUE(log.back().data.empty());
    EXPECT_EQ(w.GetWindowText().rfind("KTP/Q Series Vexilo Panel  Ver. ", 0), 0u);
    EXPECT_TRUE(boxes.boxes.empty());

    // The page sits inside the tab control, below the tab row.
    const QRect item = ui::qt::ToQRect(w.TabControl().GetItemRect(0));
    QWidget* tab = ui::qt::Widget(w.TabControl());
    const QRect placed(ui::qt::Window(*page)->mapTo(tab, QPoint(0, 0)),
                       ui::qt::Window(*page)->size());
    EXPECT_GE(placed.y(), item.y() + item.height());
    EXPECT_TRUE(tab->rect().contains(placed));

    EXPECT_EQ(rgb->OpenCount(), 1);
    dlg.reset();
    EXPECT_EQ(rgb->OpenCount(), 0);
}

TEST_F(MainWindowTest, CaptionsTellSeriesModelAndPortInEnumerationOrder) {
    Add(SimKind::Rgb, "COM3", 1);
    Add(SimKind::Dvi, "COM5", 0);
    auto mute = Add(SimKind::Ntsc, "COM6", 1);
    mute->AddFault({SimFaultKind::Silence, 0, 0x05, kSimForever, 0});  // no series answer
    Add(SimKind::Other, "COM7", 0);                                    // product ID 0x0020
    Open();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"KTP-RGB-SDI (COM3)", "KTQ-DVI-SDI (COM5)",
                                                    "NTSC-SDI (COM6)", "KTQ-DVI-SDI (COM7)"}));
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::Rgb, Kind::Dvi, Kind::Ntsc, Kind::Other}));
    EXPECT_EQ(templates, (std::vector<int>{134, 133, 135, 133}));
    EXPECT_TRUE(boxes.boxes.empty());
}

// The model pages themselves, chosen by kind; product ID 0x0020 is served by the DVI page.
TEST_F(MainWindowTest, EachKindGetsItsModelPage) {
    Add(SimKind::Rgb, "COM3", 1);
    Add(SimKind::Dvi, "COM5", 0);
    Add(SimKind::Ntsc, "COM6", 1);
    Add(SimKind::Other, "COM7", 1);
    CVexiloDlg& w = Open(false, ModelPageFactory());
    ASSERT_EQ(w.PageCount(), 4);
    EXPECT_NE(dynamic_cast<CArgbDialog*>(w.Page(0)), nullptr);
    EXPECT_NE(dynamic_cast<CDvidDialog*>(w.Page(1)), nullptr);
    EXPECT_NE(dynamic_cast<CCvbsDialog*>(w.Page(2)), nullptr);
    EXPECT_NE(dynamic_cast<CDvidDialog*>(w.Page(3)), nullptr);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"KTP-RGB-SDI (COM3)", "KTQ-DVI-SDI (COM5)",
                                                    "KTP-NTSC-SDI (COM6)", "KTP-DVI-SDI (COM7)"}));
    EXPECT_TRUE(w.Page(0)->IsWindowVisible());
    EXPECT_TRUE(boxes.boxes.empty());
}

// Each port comes with its kind: start-up lists the converters once however many there are, the
// hotplug watcher's first listing included, and a converter without a page is looked at again
// and given its page without another listing.
TEST_F(MainWindowTest, StartUpListsTheConvertersOnceAndLookingListsNothing) {
    Add(SimKind::Rgb, "A");
    auto b = Add(SimKind::Dvi, "B");
    Add(SimKind::Ntsc, "C");
    auto holder = std::make_unique<CSimComm>(b);  // another program has B's port
    CVexiloDlg& w = Open();
    HotplugWatcher watcher(w, nullptr, nullptr);
    EXPECT_EQ(listings, 1);
    ASSERT_EQ(Captions().size(), 2u);

    watcher.SetRecheckInterval(10);
    holder.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Captions().size() == 3; }, 5000));
    EXPECT_EQ(listings, 1);
}

TEST_F(MainWindowTest, APortThatDoesNotOpenLosesItsPageAndTheLastTakesItsPlace) {
    Add(SimKind::Rgb, "A");
    auto b = Add(SimKind::Rgb, "B");
    Add(SimKind::Rgb, "C");
    Add(SimKind::Rgb, "D");
    CSimComm holder(b);  // another program has B's port
    ASSERT_TRUE(holder.IsOpen());
    CVexiloDlg& w = Open();
    EXPECT_EQ(Captions(),
              (std::vector<std::string>{"KTP-RGB-SDI (A)", "KTP-RGB-SDI (D)", "KTP-RGB-SDI (C)"}));
    EXPECT_EQ(w.PageCount(), 3);
    EXPECT_EQ(w.OpenTabs(), 3);
    EXPECT_EQ(w.Device(1).label, "D");
    EXPECT_TRUE(b->Log().empty());
    EXPECT_TRUE(boxes.boxes.empty());  // no message for a port that is taken
}

TEST_F(MainWindowTest, TheSaveButtonShowsOnlyWithTheSwitch) {
    for (bool showSave : {false, true}) {
        Add(SimKind::Dvi, showSave ? "with" : "without");
        CVexiloDlg& w = Open(showSave);
        EXPECT_EQ(w.IsDlgItemShown(IDC_SAVE), showSave);
        EXPECT_TRUE(w.IsDlgItemShown(ui::kIdOk));
        EXPECT_TRUE(w.IsDlgItemShown(ui::kIdCancel));
        EXPECT_FALSE(w.IsDlgItemShown(IDC_DUMMY));
        dlg.reset();
        entries.clear();
    }
}

TEST_F(MainWindowTest, SelectingTheTabOfAnUnpluggedConverterClosesItAndShowsAnother) {
    auto a = Add(SimKind::Rgb, "A");
    auto b = Add(SimKind::Dvi, "B", 0);
    Add(SimKind::Ntsc, "C");
    CVexiloDlg& w = Open();
    b->Unplug();
    const int checksOfA = Count(*a, 0x00);

    ClickTab(1);

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kNoResponseText);
    EXPECT_EQ(boxes.boxes[0].caption, "KTP-RGB-SDI (B) ERROR");  // the test page's model string
    EXPECT_EQ(Captions(), (std::vector<std::string>{"KTP-RGB-SDI (A)", "KTP-NTSC-SDI (C)"}));
    EXPECT_EQ(w.OpenTabs(), 2);
    EXPECT_EQ(w.TabControl().GetCurSel(), 0);
    EXPECT_TRUE(w.Page(0)->IsWindowVisible());
    EXPECT_FALSE(w.Page(1)->IsWindowVisible());
    EXPECT_FALSE(w.Page(1)->HasConverter());
    EXPECT_FALSE(w.Page(2)->IsWindowVisible());
    EXPECT_EQ(Count(*a, 0x00), checksOfA + 1);  // the tab shown instead was checked too

    // The remaining tabs still map to their pages.
    ClickTab(1);
    EXPECT_TRUE(w.Page(2)->IsWindowVisible());
    EXPECT_FALSE(w.Page(0)->IsWindowVisible());
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

// The tab bar shows the new selection, and the page its contents, while the converter is being
// checked, not only after the check has returned.
TEST_F(MainWindowTest, TheClickedTabIsPaintedBeforeItsConverterIsChecked) {
    Add(SimKind::Rgb, "A");
    Add(SimKind::Rgb, "B");
    CVexiloDlg& w = Open();
    auto* bar = ui::qt::Widget(w.TabControl())->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    struct PaintCounter : QObject {
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
        int paints = 0;
    } counter;
    bar->installEventFilter(&counter);
    struct AtCheck : IWaitObserver {
        void CommandStarted() override {
            paints = counter->paints;
            pageShown = page->IsWindowVisible();
        }
        void StillWaiting() override {}
        void CommandFinished() override {}
        PaintCounter* counter = nullptr;
        CDevDialog* page = nullptr;
        int paints = -1;
        bool pageShown = false;
    } atCheck;
    atCheck.counter = &counter;
    atCheck.page = w.Page(1);
    QApplication::processEvents();
    const int before = counter.paints;
    SetWaitObserver(&atCheck);
    ClickTab(1);
    SetWaitObserver(nullptr);
    EXPECT_GT(atCheck.paints, before);
    EXPECT_TRUE(atCheck.pageShown);
}

TEST_F(MainWindowTest, OnlyTheShownPageRunsItsStatusTimer) {
    Add(SimKind::Rgb, "A");
    Add(SimKind::Rgb, "B");
    CVexiloDlg& w = Open();
    for (int i = 0; i < 2; ++i) {
        w.Page(i)->CheckDlgButton(IDC_AUTO_UPDATE, true);
    }
    w.Page(0)->OnAutoUpdateClicked();
    ASSERT_TRUE(w.Page(0)->IsTimerRunning(kStatusTimerId));
    ClickTab(1);
    EXPECT_FALSE(w.Page(0)->IsTimerRunning(kStatusTimerId));
    EXPECT_TRUE(w.Page(1)->IsTimerRunning(kStatusTimerId));
}

TEST_F(MainWindowTest, SaveGoesOnToTheNextPageWhenTheFirstStopsAnswering) {
    auto a = Add(SimKind::Rgb, "A");
    auto b = Add(SimKind::Dvi, "B");
    CVexiloDlg& w = Open(true);
    SimGeneral changed = b->Current();
    changed.outputFormat = 0;
    b->SetCurrent(changed);
    a->AddFault({SimFaultKind::Silence, 0, kSimAnyCommand, kSimForever, 0});

    QTest::mouseClick(ui::qt::Item(w, IDC_SAVE), Qt::LeftButton);

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, test::kNotSavedText);
    EXPECT_EQ(b->Stored(), changed);
    EXPECT_EQ(Captions(), std::vector<std::string>{"KTP-DVI-SDI (B)"});
    EXPECT_TRUE(w.IsWindowVisible());  // saving keeps the window open
    EXPECT_TRUE(w.SaveNote().empty()) << "not everything was saved";
}

// A save that went through says so beside the buttons for a while, without a box.
TEST_F(MainWindowTest, ASuccessfulSaveSaysSoBriefly) {
    Add(SimKind::Rgb, "A");
    Add(SimKind::Dvi, "B");
    CVexiloDlg& w = Open(true);
    EXPECT_TRUE(w.SaveNote().empty());
    QTest::mouseClick(ui::qt::Item(w, IDC_SAVE), Qt::LeftButton);
    EXPECT_EQ(w.SaveNote(), "設定を保存しました");
    EXPECT_TRUE(boxes.boxes.empty());
    ASSERT_TRUE(w.Timers().Fire(CVexiloDlg::kSaveNoteTimerId));
    EXPECT_TRUE(w.SaveNote().empty());
    EXPECT_FALSE(w.IsTimerRunning(CVexiloDlg::kSaveNoteTimerId));
}

// Each way out of the window, and what it makes every converter do.
TEST_F(MainWindowTest, ButtonsAndCloseRequestSaveOrRevertEveryPage) {
    enum class Way { Save, SaveAndExit, Cancel, CloseRequest };
    struct Case {
        Way way;
        bool saved;  // else reverted
        bool open;   // the window stays
    };
    for (const Case& c : {Case{Way::Save, true, true}, Case{Way::SaveAndExit, true, false},
                          Case{Way::Cancel, false, false}, Case{Way::CloseRequest, false, false}}) {
        SCOPED_TRACE(static_cast<int>(c.way));
        auto a = Add(SimKind::Rgb, "A");
        auto b = Add(SimKind::Ntsc, "B");
        CVexiloDlg& w = Open(true);
        SimGeneral changed = a->Current();
        changed.sdiLevel = 1;
        for (const auto& m : {a, b}) {
            m->SetCurrent(changed);
        }
        switch (c.way) {
            case Way::Save:
                QTest::mouseClick(ui::qt::Item(w, IDC_SAVE), Qt::LeftButton);
                break;
            case Way::SaveAndExit:
                QTest::mouseClick(ui::qt::Item(w, ui::kIdOk), Qt::LeftButton);
                break;
            case Way::Cancel:
                QTest::mouseClick(ui::qt::Item(w, ui::kIdCancel), Qt::LeftButton);
                break;
            case Way::CloseRequest:
                ui::qt::Window(w)->close();
                break;
        }
        for (const auto& m : {a, b}) {
            if (c.saved) {
                EXPECT_EQ(m->Stored(), changed);
            } else {
                EXPECT_EQ(m->Current(), m->Stored());
                EXPECT_NE(m->Current(), changed);
            }
        }
        EXPECT_EQ(w.IsWindowVisible(), c.open);
        EXPECT_TRUE(boxes.boxes.empty());
        dlg.reset();
        entries.clear();
    }
}

TEST_F(MainWindowTest, SaveAndExitStaysOpenWhenAPageRefusesItsIdSettings) {
    auto a = Add(SimKind::Rgb, "A");
    auto b = Add(SimKind::Dvi, "B");
    CVexiloDlg& w = Open(true);
    CDevDialog* first = w.Page(0);
    ASSERT_NE(first, nullptr);
    first->CheckDlgButton(IDC_ID_ENABLE, true);
    first->SendCommand(IDC_ID_ENABLE);
    first->SetDlgItemText(IDC_ID_SN, "1234");
    first->ComboSetCurSel(IDC_ID_DID, -1);  // no DID chosen: the save is refused
    SimGeneral changed = b->Current();
    changed.sdiLevel = 1;
    b->SetCurrent(changed);

    QTest::mouseClick(ui::qt::Item(w, ui::kIdOk), Qt::LeftButton);

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "KTP Series ERROR");
    EXPECT_TRUE(w.IsWindowVisible());  // the operator's input is still there
    EXPECT_EQ(first->GetDlgItemText(IDC_ID_SN), "1234");
    EXPECT_EQ(Count(*a, 0x09), 0);    // the refusing page sent nothing
    EXPECT_EQ(b->Stored(), changed);  // the other page was saved

    first->ComboSetCurSel(IDC_ID_DID, 0);
    QTest::mouseClick(ui::qt::Item(w, ui::kIdOk), Qt::LeftButton);
    EXPECT_FALSE(w.IsWindowVisible());
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(MainWindowTest, EnterAndEscapeNeitherCloseTheWindowNorPressAButton) {
    auto a = Add(SimKind::Rgb, "A");
    CVexiloDlg& w = Open(true);
    a->ClearLog();
    std::vector<QWidget*> targets{ui::qt::Window(w), ui::qt::Widget(w.TabControl())};
    for (int id : {ui::kIdOk, ui::kIdCancel, int{IDC_SAVE}}) {
        targets.push_back(ui::qt::Item(w, id));
    }
    for (QWidget* target : targets) {
        target->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(target, key);
        }
    }
    EXPECT_TRUE(w.IsWindowVisible());
    EXPECT_EQ(Count(*a, 0x09), 0);  // neither saved nor reverted
    EXPECT_TRUE(boxes.boxes.empty());
}

// The keys switch tabs, wrapping at both ends, from wherever the focus is; each switch checks
// the converter of the tab it shows, as a click does.
TEST_F(MainWindowTest, CtrlTabAndCtrlPageKeysSwitchTabsAndCheckTheirConverters) {
    const std::vector<std::shared_ptr<CSimConverter>> models{
        Add(SimKind::Rgb, "A"), Add(SimKind::Rgb, "B"), Add(SimKind::Rgb, "C")};
    CVexiloDlg& w = Open(false, ModelPageFactory());
    QWidget* window = ui::qt::Window(w);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int selection;
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    for (const Step& step : {Step{Qt::Key_Tab, ctrl, 1}, Step{Qt::Key_Tab, ctrl, 2},
                             Step{Qt::Key_Tab, ctrl, 0}, Step{Qt::Key_Backtab, ctrlShift, 2},
                             Step{Qt::Key_PageUp, ctrl, 1}, Step{Qt::Key_PageDown, ctrl, 2},
                             Step{Qt::Key_PageDown, ctrl, 0}, Step{Qt::Key_PageUp, ctrl, 2}}) {
        SCOPED_TRACE(step.selection);
        const int checks = Count(*models[step.selection], 0x00);
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : window, step.key, step.modifiers);
        EXPECT_EQ(w.TabControl().GetCurSel(), step.selection);
        EXPECT_TRUE(w.Page(step.selection)->IsWindowVisible());
        EXPECT_EQ(Count(*models[step.selection], 0x00), checks + 1);
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

// Tab moves only through controls that show the focus, the tab row included.
TEST_F(MainWindowTest, TabStopsAreAllVisible) {
    Add(SimKind::Rgb, "A");
    Add(SimKind::Dvi, "B");
    CVexiloDlg& w = Open(true, ModelPageFactory());
    QWidget* window = ui::qt::Window(w);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ui::qt::Widget(w.TabControl())->setFocus();
    int tabRow = 0;
    for (int i = 0; i < 40; ++i) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        // Neither the tab control's frame nor a scroll arrow of its row: nothing shows them
        // focused.
        EXPECT_TRUE(focus->isVisible()) << focus->metaObject()->className();
        EXPECT_EQ(dynamic_cast<ui::TabCtrl*>(focus), nullptr);
        EXPECT_EQ(qobject_cast<QToolButton*>(focus), nullptr);
        tabRow += qobject_cast<QTabBar*>(focus) != nullptr ? 1 : 0;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    EXPECT_GE(tabRow, 2);  // the walk comes round to the tab row again
}

TEST_F(MainWindowTest, TheThreeButtonsAnswerTheAltKeysTheirCaptionsUnderline) {
    Add(SimKind::Rgb, "A");
    CVexiloDlg& w = Open(true);
    const std::pair<int, QKeySequence> keys[] = {
        {IDC_SAVE, QKeySequence(Qt::ALT | Qt::Key_S)},
        {ui::kIdOk, QKeySequence(Qt::ALT | Qt::Key_X)},
        {ui::kIdCancel, QKeySequence(Qt::ALT | Qt::Key_C)}};
    for (const auto& [id, key] : keys) {
        EXPECT_EQ(ui::qt::ItemAs<QPushButton>(w, id)->shortcut(), key) << id;
    }
}

TEST_F(MainWindowTest, TheLogoSitsTwelvePixelsFromTheLeftAndBottomWithWhiteSeeThrough) {
    Add(SimKind::Rgb, "A");
    CVexiloDlg& w = Open();
    const QImage& logo = Logo(w);
    ASSERT_EQ(logo.size(), QSize(154, 55));
    const QImage shot = ui::qt::Window(w)->grab().toImage();
    const int top = ui::qt::Window(w)->height() - logo.height() - CVexiloDlg::kLogoMargin;
    int opaque = 0;
    for (int y = 0; y < logo.height(); ++y) {
        for (int x = 0; x < logo.width(); ++x) {
            const QRgb p = logo.pixel(x, y);
            if (qAlpha(p) == 255) {
                ++opaque;
                ASSERT_EQ(shot.pixel(CVexiloDlg::kLogoMargin + x, top + y) | 0xFF000000u, p)
                    << x << "," << y;
            }
        }
    }
    EXPECT_GT(opaque, 500);
}

TEST_F(MainWindowTest, ScreenshotsShowEveryTabInTurnAndSaveTheBoxOfAConverterThatIsGone) {
    Add(SimKind::Rgb, "A");
    auto b = Add(SimKind::Rgb, "B");
    Add(SimKind::Rgb, "C");
    CVexiloDlg& w = Open();
    b->Unplug();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        ScreenshotRun run((dir.path() + "/shots").toStdString());
        std::string problem;
        ASSERT_TRUE(run.Start(&problem));
        ::testing::internal::CaptureStdout();
        run.Run(w);
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(QString::fromStdString(out),
                  "tab 1: KTP-RGB-SDI (A)\n"
                  "box 1: KTP-RGB-SDI (B) ERROR: デバイスが反応しません\\n接続を確認してください"
                  "\\n該当タブを強制クローズします\n"
                  "tab 2: KTP-RGB-SDI (C)\n");
        EXPECT_FALSE(run.Failed());
    }
    for (const char* name : {"tab-1.png", "tab-2.png", "box-1.png"}) {
        const QImage picture(dir.path() + "/shots/" + name);
        EXPECT_FALSE(picture.isNull()) << name;
    }
    EXPECT_EQ(QImage(dir.path() + "/shots/tab-1.png").size(), ui::qt::Window(w)->size());
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/shots/tab-3.png"));
    EXPECT_FALSE(w.IsWindowVisible());  // the walk ends the window
    EXPECT_TRUE(boxes.boxes.empty());   // the boxes went to the screenshot run
}

TEST_F(MainWindowTest, TheScreenshotWalkBeginsAfterStartUpNotInsideItsBox) {
    auto a = Add(SimKind::Rgb, "A");
    a->AddFault({SimFaultKind::Silence, 0, 0x00, kSimForever, 1});  // answers start-up only
    Add(SimKind::Rgb, "B");
    ListEntries();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScreenshotRun run(dir.path().toStdString());
    std::string problem;
    ASSERT_TRUE(run.Start(&problem));
    CVexiloApp app(Factory());
    app.m_onRunning = [&run](CVexiloDlg& w) { run.Run(w); };
    ::testing::internal::CaptureStdout();
    app.InitInstance({});
    EXPECT_EQ(QString::fromStdString(::testing::internal::GetCapturedStdout()),
              "box 1: KTP-RGB-SDI (A) ERROR: デバイスが反応しません\\n接続を確認してください"
              "\\n該当タブを強制クローズします\n"
              "tab 1: KTP-RGB-SDI (B)\n");
}

TEST_F(MainWindowTest, AConverterFailingItsStartUpLosesOnlyItsOwnPage) {
    auto a = Add(SimKind::Rgb, "ttyACM0");
    a->AddFault({SimFaultKind::Silence, 0, kSimAnyCommand, kSimForever});
    Add(SimKind::Dvi, "ttyACM1");
    Add(SimKind::Rgb, "ttyACM2");
    CVexiloDlg& w = Open();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "KTP-RGB-SDI (ttyACM0) ERROR");
    EXPECT_EQ(boxes.boxes[0].text, test::kStartupNotConnectedText);
    EXPECT_EQ(Captions(),
              (std::vector<std::string>{"KTP-DVI-SDI (ttyACM1)", "KTP-RGB-SDI (ttyACM2)"}));
    EXPECT_EQ(w.OpenTabs(), 2);
    EXPECT_EQ(a->OpenCount(), 0);
    EXPECT_TRUE(w.Page(1)->IsWindowVisible());
    EXPECT_FALSE(w.Page(0)->IsWindowVisible());
}

// ---- start-up reads every converter at once ---------------------------------------------------

// The record-and-replay start-up must put on the wire exactly what the pages sent one after
// another, for every kind and every way a start-up ends, and show the same boxes in the same order.
TEST_F(MainWindowTest, ReadingAtOnceSendsEachConverterWhatTheOneByOneStartUpSent) {
    struct Case {
        SimKind kind;
        SimFirmware firmware;
        std::vector<SimFaultSpec> faults;
    };
    const std::vector<Case> cases{
        {SimKind::Rgb, SimFirmware::Main, {}},
        {SimKind::Dvi, SimFirmware::Main, {}},
        {SimKind::Ntsc, SimFirmware::Main, {}},
        {SimKind::Other, SimFirmware::Old, {}},
        {SimKind::Rgb, SimFirmware::Boot, {}},
        {SimKind::Dvi, SimFirmware::Update, {}},
        {SimKind::Rgb, SimFirmware::Main, {{SimFaultKind::Silence, 0, kSimAnyCommand, 4}}},
        {SimKind::Ntsc,
         SimFirmware::Main,
         {{SimFaultKind::Silence, 0, kSimAnyCommand, kSimForever}}},
        {SimKind::Dvi, SimFirmware::Main, {{SimFaultKind::Silence, 0, 0x03, kSimForever}}},
        {SimKind::Rgb, SimFirmware::Main, {{SimFaultKind::Silence, 0, 0x07, 1, 5}}},
        {SimKind::Dvi, SimFirmware::Main, {{SimFaultKind::ErrorCode, 2, 0x14, 1}}},
        {SimKind::Ntsc, SimFirmware::Main, {{SimFaultKind::ShortReply, 1, 0x0F, 1}}},
    };
    // Each request as "command:data" in hex, so a difference reads well.
    const auto wire = [](const CSimConverter& model) {
        std::vector<std::string> out;
        for (const SimRequest& r : model.Log()) {
            std::string text = QString::number(r.command, 16).toStdString() + ":";
            for (std::uint8_t b : r.data) {
                text += QString::asprintf("%02x", b).toStdString();
            }
            out.push_back(text);
        }
        return out;
    };
    std::vector<std::vector<std::vector<std::string>>> logs;
    std::vector<std::vector<std::string>> shown;
    for (const bool atOnce : {false, true}) {
        entries.clear();
        std::vector<std::shared_ptr<CSimConverter>> models;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            auto model =
                std::make_shared<CSimConverter>(SimConfig::For(cases[i].kind, cases[i].firmware));
            for (const SimFaultSpec& fault : cases[i].faults) {
                model->AddFault(fault);
            }
            entries.push_back(SimPort(model, "ttyACM" + std::to_string(i)));
            models.push_back(model);
        }
        boxes.boxes.clear();
        PageFactory factory = ModelPageFactory();
        if (!atOnce) {
            factory.startupReads = nullptr;
        }
        Open(false, factory);
        std::vector<std::string> seen = Captions();
        for (const auto& box : boxes.boxes) {
            seen.push_back(box.caption + ": " + box.text);
        }
        shown.push_back(seen);
        logs.emplace_back();
        for (const auto& model : models) {
            logs.back().push_back(wire(*model));
        }
        dlg.reset();
    }
    EXPECT_EQ(shown[1], shown[0]);
    ASSERT_EQ(logs[1].size(), logs[0].size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(logs[1][i], logs[0][i]) << "converter " << i;
    }
    EXPECT_GT(shown[0].size(), 6u);  // some tabs and some boxes
}

// Start-up reads run on a thread per converter; the operator may go on with the converters that
// are ready (the others get no page and free their ports), or end the program, which shows no
// window.
TEST_F(MainWindowTest, ConvertersAreReadAtOnceAndTheOperatorGoesOnWithTheReadyOnesOrQuits) {
    auto a = Add(SimKind::Rgb, "A");
    auto b = Add(SimKind::Dvi, "B");
    auto c = Add(SimKind::Ntsc, "C");
    std::mutex mutex;
    std::condition_variable changed;
    int arrived = 0;
    int together = 0;
    bool releaseB = false;
    PageFactory factory = ModelPageFactory();
    factory.startupReads = [&](model::Converter& converter, const std::atomic<bool>* stop) {
        {
            std::unique_lock lock(mutex);
            ++arrived;
            changed.notify_all();
            // Read one after another, the first would wait here alone until the deadline.
            together +=
                changed.wait_for(lock, std::chrono::seconds(10), [&] { return arrived >= 3; }) ? 1
                                                                                               : 0;
            if (converter.KindId() == Kind::Dvi) {
                changed.wait_for(lock, std::chrono::seconds(10), [&] { return releaseB; });
            }
        }
        return converter.Start(stop);
    };
    ListEntries();
    dlg = std::make_unique<CVexiloDlg>(false, factory);
    std::vector<std::vector<ParallelStartup::State>> states;
    dlg->m_onStartupWait = [&](const std::vector<StartupRow>& rows) {
        std::vector<ParallelStartup::State> now;
        for (const StartupRow& row : rows) {
            now.push_back(row.status.state);
        }
        states.push_back(now);
        const bool othersReady =
            now[0] == ParallelStartup::State::kReady && now[2] == ParallelStartup::State::kReady;
        return othersReady ? StartupChoice::kGoOn : StartupChoice::kWait;
    };
    dlg->Create(IDD_VEXILO_DIALOG, nullptr);
    EXPECT_EQ(together, 3);
    EXPECT_EQ(states.back()[1], ParallelStartup::State::kContacting);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"KTP-RGB-SDI (A)", "KTP-NTSC-SDI (C)"}));
    EXPECT_EQ(dlg->OpenTabs(), 2);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(dlg->StartupHoldsPort(dlg->Device(1))) << "ours, not another program's";
    {
        std::lock_guard lock(mutex);
        releaseB = true;
    }
    changed.notify_all();
    // B's reads stop before their first command and its port closes, for the rescan to find.
    EXPECT_TRUE(QTest::qWaitFor([&] { return b->OpenCount() == 0; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg->StartupHoldsPort(dlg->Device(1)); }, 10000));
    EXPECT_TRUE(b->Log().empty());
    dlg.reset();

    // Closing the progress window: the window ends without a loop and without pages.
    arrived = 0;
    releaseB = true;
    dlg = std::make_unique<CVexiloDlg>(false, factory);
    dlg->m_onStartupWait = [](const std::vector<StartupRow>&) { return StartupChoice::kQuit; };
    EXPECT_EQ(dlg->DoModal(), ui::kIdCancel);
    EXPECT_TRUE(dlg->EndedAtStartup());
    EXPECT_EQ(dlg->TabControl().GetItemCount(), 0);
    EXPECT_FALSE(dlg->IsWindowVisible());
    EXPECT_TRUE(boxes.boxes.empty());
    dlg.reset();
    EXPECT_EQ(a->OpenCount() + b->OpenCount() + c->OpenCount(), 0);
}

// ---- start-up without a usable converter ends the window, not the process -------------------

// Nothing listed, or every converter listed gone by the time its port opens: where to look, and
// the end unless the operator chooses to wait (No is the default).
TEST_F(MainWindowTest, NoConverterSaysWhereToLookAndTheWindowEndsUnshown) {
    for (const bool listedButGone : {false, true}) {
        SCOPED_TRACE(listedButGone);
        boxes.boxes.clear();
        if (listedButGone) {
            Add(SimKind::Rgb, "A")->Unplug();
        }
        CVexiloDlg& w = Open();
        ASSERT_EQ(boxes.boxes.size(), 1u);
        const std::string& text = boxes.boxes[0].text;
        EXPECT_EQ(boxes.boxes[0].caption, "KTP Series ERROR");
        EXPECT_EQ(text.rfind("デバイスが接続されていません\n\n", 0), 0u) << text;
        for (const char* hint : {"lsusb", "60-vexilo.rules", "VEXILO_PORTS"}) {
            EXPECT_NE(text.find(hint), std::string::npos) << hint;
        }
        EXPECT_FALSE(boxes.boxes[0].owned);
        EXPECT_EQ(boxes.boxes[0].style, 0x134u);
        EXPECT_TRUE(w.EndedAtStartup());
        dlg.reset();
    }
}

TEST_F(MainWindowTest, AllPortsHeldShowsOnlyTheSecondMessageAndTheWindowEndsUnshown) {
    auto a = Add(SimKind::Rgb, "A");
    auto b = Add(SimKind::Dvi, "B");
    CSimComm holdA(a);
    CSimComm holdB(b);
    ListEntries();
    dlg = std::make_unique<CVexiloDlg>(false, Factory());
    EXPECT_EQ(dlg->DoModal(), ui::kIdCancel);  // no loop: it returns at once
    EXPECT_TRUE(dlg->EndedAtStartup());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              "デバイスが使用できません。\n"
              "他のアプリケーションで既に使用されている可能性があります。");
}

// A converter the user may not open, on a real-looking device path.
class RefusedComm : public test::FakeComm {
public:
    RefusedComm() { open = false; }
    PortOpenFailure OpenFailure() const override { return PortOpenFailure::Permission; }
};

TEST_F(MainWindowTest, EachPortThatDidNotOpenIsNamedWithItsReason) {
    auto a = Add(SimKind::Rgb, "A");
    auto b = Add(SimKind::Dvi, "B");
    entries.push_back(
        {"/dev/ttyACM7", "ttyACM7", Kind::Ntsc, [] { return std::make_unique<RefusedComm>(); }});
    CSimComm holdA(a);
    b->Unplug();
    CVexiloDlg& w = Open();
    EXPECT_TRUE(w.EndedAtStartup());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              "デバイスが使用できません。\n"
              "A: 他のアプリケーションで既に使用されている可能性があります。\n"
              "B: コンバーターが取り外されました。\n"
              "ttyACM7: /dev/ttyACM7 を開く権限がありません。\n"
              "udev ルール 60-vexilo.rules をインストールするか、ユーザーを "
              "dialout グループに追加して再ログインしてください。");
}

TEST_F(MainWindowTest, TheOnlyConverterFailingItsStartUpShowsItsMessageAndTheWindowEndsUnshown) {
    entries.push_back(SimPort(
        std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb, SimFirmware::Boot)), "A"));
    for (const bool atOnce : {true, false}) {
        boxes.boxes.clear();
        PageFactory factory = ModelPageFactory();
        if (!atOnce) {
            factory.startupReads = nullptr;
        }
        ListEntries();
        dlg = std::make_unique<CVexiloDlg>(false, factory);
        EXPECT_EQ(dlg->DoModal(), ui::kIdCancel);
        EXPECT_TRUE(dlg->EndedAtStartup());
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].caption, "KTP-RGB-SDI (A) ERROR");
        const std::string& text = boxes.boxes[0].text;
        EXPECT_EQ(text.rfind("メインファームウェアで起動していません", 0), 0u) << text;
        const std::string end = "使用しません";
        EXPECT_TRUE(text.size() >= end.size() &&
                    text.compare(text.size() - end.size(), end.size(), end) == 0)
            << text;
        dlg.reset();
    }
}

// The last tab closing while the window runs ends its loop; the process goes on to main's return.
TEST_F(MainWindowTest, TheLastTabClosingEndsTheWindowsLoop) {
    auto a = Add(SimKind::Rgb, "A");
    ListEntries();
    dlg = std::make_unique<CVexiloDlg>(false, Factory());
    dlg->m_onStarted = [&a](CVexiloDlg& w) {
        a->Unplug();
        w.ClosePage(w.Page(0));
    };
    EXPECT_EQ(dlg->DoModal(), ui::kIdCancel);
    EXPECT_FALSE(dlg->EndedAtStartup());
    EXPECT_EQ(dlg->OpenTabs(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kNoResponseText);
}

// ---- command line ----------------------------------------------------------------------------

TEST(AppOptions, SwitchDemoScreenshotDirectoryAndLanguageOtherArgumentsIgnored) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        bool showSave;
        bool demo;
        std::string dir;
        bool walk = false;
        bool help = false;
        bool version = false;
        std::string lang = "";
    };
    const Case cases[] = {
        {{"panel"}, true, false, false, ""},
        {{"panel", "--demo", "/S", "--unknown", "x"}, true, true, true, ""},
        {{"panel", "--screenshot", "out", "/s"}, true, true, false, "out"},
        {{"panel", "--screenshot=shots", "--demo"}, true, false, true, "shots"},
        {{"panel", "--walk-tabs"}, true, false, false, "", true},
        {{"panel", "-h", "--version"}, true, false, false, "", false, true, true},
        {{"panel", "--help"}, true, false, false, "", false, true, false},
        {{"panel", "--screenshot"}, false, false, false, ""},
        {{"panel", "--screenshot", "--demo"}, false, false, false, ""},
        {{"panel", "--screenshot="}, false, false, false, ""},
        {{"panel", "--lang", "en", "/s"}, true, true, false, "", false, false, false, "en"},
        {{"panel", "--lang=ja"}, true, false, false, "", false, false, false, "ja"},
        {{"panel", "--lang", "de"}, false, false, false, ""},
        {{"panel", "--lang"}, false, false, false, ""},
    };
    for (const Case& c : cases) {
        AppOptions o;
        std::string error;
        EXPECT_EQ(ParseAppOptions(c.args, &o, &error), c.ok) << c.args.size();
        if (c.ok) {
            EXPECT_EQ(o.showSave, c.showSave);
            EXPECT_EQ(o.demo, c.demo);
            EXPECT_EQ(o.screenshot, !c.dir.empty());
            EXPECT_EQ(o.screenshotDir, c.dir);
            EXPECT_EQ(o.walkTabs, c.walk);
            EXPECT_EQ(o.help, c.help);
            EXPECT_EQ(o.version, c.version);
            EXPECT_EQ(o.lang, c.lang);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

}  // namespace
}  // namespace vexilo
