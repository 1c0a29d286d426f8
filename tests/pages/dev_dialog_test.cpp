#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <array>
#include <cstdlib>
#include <regex>
#include <string>

#include "discovery/attach.h"
#include "page_fixture.h"
#include "support/messages.h"
#include "ui/qt_backend.h"

namespace vexilo::test {
namespace {

// ---- status display --------------------------------------------------------------------------

struct StatusCase {
    SimStatus status;
    std::array<const char*, 7> shown;  // in the order of kStatusIds
};

constexpr std::array<int, 7> kStatusIds{IDC_WIDTH,     IDC_HEIGHT,   IDC_FRAMERATE, IDC_SCAN,
                                        IDC_FPGA_TEMP, IDC_MCU_TEMP, IDC_VOLTAGE};

TEST_F(PageTest, StatusIsFormattedFieldByField) {
    const StatusCase cases[] = {
        {{1920, 1080, 412, 380, 50, 6000, 2},
         {"1920", "1080", "60", "progressive", "41.2", "38.0", "5.0"}},
        {{720, 480, -20, -5, 33, 5994, 1},
         {"720", "480", "59.94", "interlace", "-2.0", "-0.5", "3.3"}},
        {{0xFFFF, 0xFFFF, 0, 0, 0, 0xFFFF, 0},
         {"-----", "-----", "-----", "-----", "0.0", "0.0", "0.0"}},
        {{1280, 720, 32767, -32768, 65535, 2997, 7},
         {"1280", "720", "29.97", "-----", "3276.7", "-3276.8", "6553.5"}},
    };
    CTestPage* page = Start();
    for (const StatusCase& c : cases) {
        Sim().SetStatus(c.status);
        page->SendCommand(IDC_UPDATE);
        for (std::size_t i = 0; i < kStatusIds.size(); ++i) {
            EXPECT_EQ(Text(page, kStatusIds[i]), c.shown[i])
                << "control " << kStatusIds[i] << " for frame rate " << c.shown[2];
        }
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

// The status group tells when it was last read; a reply that is not shown does not count.
TEST_F(PageTest, AShortStatusReplyChangesNothingAndClosesNothing) {
    const std::regex readAt("最終読み取り \\d\\d:\\d\\d:\\d\\d");
    Sim().SetStatus({1920, 1080, 412, 380, 50, 5994, 2});
    CTestPage* page = Start();
    ASSERT_EQ(Text(page, IDC_FRAMERATE), "59.94");
    EXPECT_TRUE(std::regex_match(Text(page, IDC_STATUS_TIME), readAt))
        << Text(page, IDC_STATUS_TIME);
    page->SetDlgItemText(IDC_STATUS_TIME, "earlier");
    Sim().SetStatus({1, 2, 3, 4, 5, 6000, 1});
    Fault(SimFaultKind::WrongLength, 0x03, 1, 0, -1);  // 12 bytes
    page->SendCommand(IDC_UPDATE);
    EXPECT_EQ(Text(page, IDC_WIDTH), "1920");
    EXPECT_EQ(Text(page, IDC_FRAMERATE), "59.94");
    EXPECT_EQ(Text(page, IDC_STATUS_TIME), "earlier");
    EXPECT_TRUE(page->HasConverter());
    EXPECT_TRUE(boxes.boxes.empty());
    page->SendCommand(IDC_UPDATE);
    EXPECT_EQ(Text(page, IDC_FRAMERATE), "60") << "a whole reply is shown again";
    EXPECT_TRUE(std::regex_match(Text(page, IDC_STATUS_TIME), readAt));
}

TEST_F(PageTest, TheUpdateButtonReachesTheModelsOverride) {
    CTestPage* page = Start();
    const int reads = Count(0x03);
    ui::qt::ItemAs<QPushButton>(*page, IDC_UPDATE)->click();
    EXPECT_EQ(page->updateStatusCalls, 1);
    EXPECT_EQ(Count(0x03), reads + 1);
}

// ---- start-up --------------------------------------------------------------------------------

TEST_F(PageTest, StartUpReadsEverythingInOrderAndShowsTheVersions) {
    CTestPage* page = Start();
    // The converter's start-up whatever the page: for an RGB converter its table follows, the
    // Auto switches written back as read.
    std::vector<std::uint8_t> expected{0x00, 0x01, 0x01, 0x01, 0x01, 0x05, 0x11, 0x07, 0x03, 0x0F};
    expected.insert(expected.end(), 13, 0x07);
    expected.insert(expected.end(), {0x08, 0x08});
    EXPECT_EQ(Sim().LoggedCommands(), expected);
    EXPECT_EQ(Sim().Log()[0].data, std::vector<std::uint8_t>{0x00})
        << "the start-up check carries one data byte";
    EXPECT_EQ(Text(page, IDC_FIRMWARE_VER), "Firmware Ver. : 3.10/1.00");
    EXPECT_EQ(Text(page, IDC_BOARD_REV), "基板Rev. : 2");
    EXPECT_EQ(Text(page, IDC_FPGA_VER), "FPGA Ver. : 0x0B4");
    EXPECT_EQ(page->m_wFpgaVersion, 0x00B4);
    EXPECT_FALSE(page->OldFirmware());
    EXPECT_TRUE(page->HasConverter());
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(page->TabTitle(), "KTP-RGB-SDI (COM3)");
}

TEST_F(PageTest, FirmwareChecksAtStartUp) {
    struct Case {
        const char* running;
        const char* second;
        const std::string* message;  // null: the page stays open
        bool oldFirmware;
    };
    const Case cases[] = {
        {"3.10", "1.00", nullptr, false},
        {"1.05", "1.00", nullptr, true},
        {"0.9", "1.00", nullptr, true},
        {"10.1", "1.00", nullptr, false},
        {"1", "1.00", nullptr, false},
        {"2.00", "2.00", &kStartupNotMainFirmwareText, false},
        {"", "", &kStartupNotMainFirmwareText, false},
        {"2.00u", "1.00", &kStartupBootUpdaterText, false},
    };
    for (const Case& c : cases) {
        SimConfig firmware = SimConfig::For(SimKind::Rgb);
        firmware.runningVersion = c.running;
        firmware.secondVersion = c.second;
        NewConverter(firmware);
        boxes.boxes.clear();
        CTestPage* page = StartKnown();
        if (c.message == nullptr) {
            EXPECT_TRUE(page->HasConverter()) << c.running;
            EXPECT_TRUE(boxes.boxes.empty()) << c.running;
            EXPECT_EQ(page->OldFirmware(), c.oldFirmware) << c.running;
            continue;
        }
        ASSERT_EQ(boxes.boxes.size(), 1u) << c.running;
        EXPECT_EQ(boxes.boxes[0].text, *c.message) << c.running;
        EXPECT_EQ(boxes.boxes[0].caption, "KTP-RGB-SDI (COM3) ERROR") << "no tab yet: kind, port";
        EXPECT_EQ(boxes.boxes[0].style, ui::kMbIconExclamation | ui::kMbOk);
        EXPECT_FALSE(page->HasConverter()) << c.running;
        EXPECT_EQ(Count(0x07), 0) << "no device access after the close";
    }
}

TEST_F(PageTest, FpgaAndBoardTexts) {
    struct Case {
        std::uint16_t fpga;
        std::uint8_t board;
        int unanswered;  // version reads left without reply, from the last one back
        const char* fpgaText;
        const char* boardText;
    };
    const Case cases[] = {
        {0x00B4, 3, 0, "FPGA Ver. : 0x0B4", "基板Rev. : 3"},
        {0x0FFF, 255, 0, "FPGA Ver. : 0xFFF", "基板Rev. : 255"},
        {0x00B4, 3, 1, "FPGA Ver. : ---", "基板Rev. : 3"},
        {0x00B4, 3, 2, "FPGA Ver. : ---", "基板Rev. : 0"},
        {0x1000, 1, 0, "FPGA Ver. : ---", "基板Rev. : 1"},
    };
    for (const Case& c : cases) {
        SimConfig firmware = SimConfig::For(SimKind::Rgb);
        firmware.fpgaVersion = c.fpga;
        firmware.boardRevision = c.board;
        NewConverter(firmware);
        if (c.unanswered > 0) {
            Fault(SimFaultKind::Silence, 0x01, c.unanswered, 4 - c.unanswered);
        }
        CTestPage* page = Start();
        EXPECT_EQ(Text(page, IDC_FPGA_VER), c.fpgaText);
        EXPECT_EQ(Text(page, IDC_BOARD_REV), c.boardText);
        EXPECT_TRUE(page->HasConverter()) << "unanswered version reads close nothing";
    }
}

TEST_F(PageTest, AOneByteFpgaReplyStillReadsAsNotRead) {
    Fault(SimFaultKind::WrongLength, 0x01, 1, 3, -1);
    CTestPage* page = Start();
    EXPECT_EQ(Text(page, IDC_FPGA_VER), "FPGA Ver. : ---");
    EXPECT_EQ(page->m_wFpgaVersion, 0xF0B4);
}

TEST_F(PageTest, ConnectionCheckAllowsFiveAttempts) {
    Fault(SimFaultKind::Silence, 0x00, 4);
    CTestPage* page = Start();
    EXPECT_TRUE(page->HasConverter());
    EXPECT_EQ(Count(0x00), 5);

    NewConverter();
    Fault(SimFaultKind::Silence, 0x00, 5);
    page = StartKnown();
    EXPECT_FALSE(page->HasConverter());
    EXPECT_EQ(Sim().LoggedCommands(), (std::vector<std::uint8_t>(5, 0x00)));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kStartupNotConnectedText);
}

TEST_F(PageTest, OutputSettingsFromTheConverterAreLimited) {
    struct Case {
        SimGeneral current;
        int extraBytes;  // reply longer (or shorter) than the three bytes
        int format, level, scaler;
    };
    const Case cases[] = {
        {{0, 1, 1, 1}, 0, 0, 1, 1},    {{1, 0, 2, 1}, 0, 1, 0, 2},  {{2, 2, 3, 1}, 0, 1, 0, 0},
        {{0xFF, 7, 9, 1}, 1, 1, 0, 0}, {{0, 1, 1, 1}, -1, 1, 0, 0},  // short: the defaults stay
    };
    for (const Case& c : cases) {
        NewConverter();
        Sim().SetCurrent(c.current);
        if (c.extraBytes != 0) {
            Fault(SimFaultKind::WrongLength, 0x07, 1, 0, c.extraBytes);
        }
        CTestPage* page = Start();
        EXPECT_EQ(page->m_nOutputFormat, c.format);
        EXPECT_EQ(page->m_nSdiLevel, c.level);
        EXPECT_EQ(page->m_nScaler, c.scaler);
        EXPECT_EQ(page->GetRadioIndex(IDC_OUTPUT_59I), c.format);
        EXPECT_EQ(page->GetRadioIndex(IDC_SCALER_ALWAYS), c.scaler == 2 ? -1 : c.scaler);
        EXPECT_EQ(page->IsDlgItemEnabled(IDC_LEVEL_A), c.format != 0);
        EXPECT_EQ(page->IsDlgItemEnabled(IDC_LEVEL_B), c.format != 0);
    }
}

TEST_F(PageTest, AFailedOutputSettingsReadClosesWithReason1) {
    Fault(SimFaultKind::Silence, 0x07);
    CTestPage* page = StartKnown();
    EXPECT_FALSE(page->HasConverter());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kStartupNoResponseText);
    EXPECT_EQ(Count(0x03), 0);
}

TEST_F(PageTest, AStartUpFailureSaysWhyAndThatTheConverterIsLeftOut) {
    struct Case {
        const char* what;
        SimFaultSpec fault;
        std::string text;
    };
    const Case cases[] = {
        {"no reply to the checks", {SimFaultKind::Silence, 0, 0x00, 5}, kStartupNotConnectedText},
        {"damaged replies to the checks",
         {SimFaultKind::WrongCheck, 0, 0x00, 5},
         kStartupDamagedText},
        {"no reply", {SimFaultKind::Silence, 0, 0x07}, kStartupNoResponseText},
        {"wrong ETX", {SimFaultKind::WrongEtx, 0, 0x07}, kStartupDamagedText},
        {"error code",
         {SimFaultKind::ErrorCode, 0x0C, 0x07},
         StartupText("デバイスがエラーを返しました（コード 0x0C）")},
        // Two version texts that never arrived are equal, yet the firmware is not to blame.
        {"no version texts", {SimFaultKind::Silence, 0, 0x01, 2}, kStartupNoResponseText},
    };
    for (const Case& c : cases) {
        NewConverter();
        Sim().AddFault(c.fault);
        boxes.boxes.clear();
        CTestPage* page = Start();  // no tab yet
        EXPECT_FALSE(page->HasConverter()) << c.what;
        ASSERT_EQ(boxes.boxes.size(), 1u) << c.what;
        EXPECT_EQ(boxes.boxes[0].text, c.text) << c.what;
        EXPECT_EQ(boxes.boxes[0].caption, "KTP-RGB-SDI (COM3) ERROR") << c.what;
    }
}

TEST_F(PageTest, AFailedSaveOrCancelSaysTheSettingsWereNotStoredOrReverted) {
    for (const bool revert : {false, true}) {
        StartOther("COM4");
        CTestPage* page = Start();
        Fault(SimFaultKind::Silence, 0x09);
        boxes.boxes.clear();
        page->Commit(revert);
        EXPECT_FALSE(page->HasConverter());
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, revert ? kNotRevertedText : kNotSavedText);
        EXPECT_EQ(boxes.boxes[0].caption, "KTP-RGB-SDI (COM3) ERROR");
        NewConverter();
    }
}

// ---- output settings -------------------------------------------------------------------------

TEST_F(PageTest, EachClickSendsTheOutputSettings) {
    Sim().SetCurrent({1, 1, 1, 1});
    CTestPage* page = Start();
    const int before = Count(0x08);
    ui::qt::ItemAs<QRadioButton>(*page, IDC_OUTPUT_59I)->click();
    EXPECT_EQ(LastData(0x08), (std::vector<std::uint8_t>{0, 1, 1}));
    EXPECT_EQ(Sim().Current(), (SimGeneral{0, 1, 1, 1})) << "applied at once";
    EXPECT_FALSE(page->IsDlgItemEnabled(IDC_LEVEL_A)) << "59.94i: the level does not apply";
    ui::qt::ItemAs<QRadioButton>(*page, IDC_OUTPUT_59P)->click();
    EXPECT_TRUE(page->IsDlgItemEnabled(IDC_LEVEL_B));
    ui::qt::ItemAs<QRadioButton>(*page, IDC_LEVEL_A)->click();
    ui::qt::ItemAs<QRadioButton>(*page, IDC_SCALER_ALWAYS)->click();
    EXPECT_EQ(Count(0x08), before + 4);
    EXPECT_EQ(LastData(0x08), (std::vector<std::uint8_t>{1, 0, 0}));
}

TEST_F(PageTest, AScalerModeTheRadiosCannotShowIsSentBackUnchanged) {
    Sim().SetCurrent({1, 0, 2, 1});
    CTestPage* page = Start();
    ui::qt::ItemAs<QRadioButton>(*page, IDC_LEVEL_B)->click();
    EXPECT_EQ(LastData(0x08), (std::vector<std::uint8_t>{1, 1, 2}));
    EXPECT_TRUE(page->HasConverter());
}

TEST_F(PageTest, FactorySettingsSendOutputAtOnceButKeepIdForTheSave) {
    Sim().SetCurrent({0, 1, 1, 1});
    CTestPage* page = Start();
    page->CheckDlgButton(IDC_ID_ENABLE, true);
    page->SendCommand(IDC_ID_ENABLE);
    page->SetDlgItemText(IDC_ID_SN, "42");
    const auto blockBefore = page->Converter()->Id().block;
    boxes.yesNo = ui::kIdYes;
    ui::qt::ItemAs<QPushButton>(*page, IDC_FACTORY)->click();
    EXPECT_EQ(LastData(0x08), (std::vector<std::uint8_t>{1, 0, 0}));
    EXPECT_EQ(Text(page, IDC_ID_SN), "");
    EXPECT_FALSE(page->IsDlgButtonChecked(IDC_ID_ENABLE));
    EXPECT_EQ(Text(page, IDC_ID_DID), "0x5F");
    EXPECT_EQ(page->Converter()->Id().block, blockBefore);
    EXPECT_EQ(Count(0x12), 0);
}

TEST_F(PageTest, FactorySettingsAskFirstAndNoChangesNothing) {
    for (const bool idSupported : {true, false}) {
        SimConfig firmware = SimConfig::For(SimKind::Rgb);
        firmware.fpgaVersion = idSupported ? 0x00B4 : 0x00A9;
        NewConverter(firmware);
        Sim().SetCurrent({0, 1, 1, 1});
        CTestPage* page = Start();
        if (idSupported) {
            page->CheckDlgButton(IDC_ID_ENABLE, true);
            page->SendCommand(IDC_ID_ENABLE);
            page->SetDlgItemText(IDC_ID_SN, "42");
        }
        const std::size_t sent = Sim().Log().size();
        boxes.boxes.clear();
        ui::qt::ItemAs<QPushButton>(*page, IDC_FACTORY)->click();  // answered with No
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, idSupported
                                           ? FactoryQuestion({kFactoryOutputLine, kFactoryIdLine})
                                           : FactoryQuestion({kFactoryOutputLine}));
        EXPECT_EQ(boxes.boxes[0].caption, "KTP-RGB-SDI (COM3)");
        EXPECT_EQ(boxes.boxes[0].style, ui::kMbYesNo | ui::kMbIconExclamation | ui::kMbDefButton2);
        EXPECT_EQ(Sim().Log().size(), sent) << "nothing sent";
        EXPECT_EQ(page->m_nOutputFormat, 0);
        if (idSupported) {
            EXPECT_TRUE(page->IsDlgButtonChecked(IDC_ID_ENABLE));
            EXPECT_EQ(Text(page, IDC_ID_SN), "42");
        }
    }
}

// ---- polling ---------------------------------------------------------------------------------

TEST_F(PageTest, TheStatusTimerRunsOnlyWhileAutoUpdateIsTicked) {
    CTestPage* page = Start();
    EXPECT_FALSE(page->IsTimerRunning(kStatusTimerId));
    ui::qt::ItemAs<QAbstractButton>(*page, IDC_AUTO_UPDATE)->click();
    ASSERT_TRUE(page->IsTimerRunning(kStatusTimerId));
    EXPECT_EQ(page->Timers().Period(kStatusTimerId), 2000);
    EXPECT_FALSE(page->IsDlgItemEnabled(IDC_UPDATE));
    const int reads = Count(0x03);
    page->Timers().Fire(kStatusTimerId);
    page->Timers().Fire(kStatusTimerId);
    EXPECT_EQ(Count(0x03), reads + 2);
    EXPECT_EQ(page->updateStatusCalls, 2) << "a tick goes through the virtual UpdateStatus";

    ui::qt::ItemAs<QAbstractButton>(*page, IDC_AUTO_UPDATE)->click();
    EXPECT_FALSE(page->IsTimerRunning(kStatusTimerId));
    EXPECT_TRUE(page->IsDlgItemEnabled(IDC_UPDATE));
}

TEST_F(PageTest, AForcedCloseStopsTheStatusTimer) {
    CTestPage* page = Start();
    StartOther("COM4");
    ui::qt::ItemAs<QAbstractButton>(*page, IDC_AUTO_UPDATE)->click();
    ASSERT_TRUE(page->IsTimerRunning(kStatusTimerId));
    bool timerRanWhileBoxOpen = true;
    boxes.onBox = [&] { timerRanWhileBoxOpen = page->IsTimerRunning(kStatusTimerId); };
    Fault(SimFaultKind::Silence, 0x03);
    page->Timers().Fire(kStatusTimerId);
    EXPECT_FALSE(timerRanWhileBoxOpen) << "killed before the box";
    EXPECT_FALSE(page->IsTimerRunning(kStatusTimerId));
    EXPECT_FALSE(page->HasConverter());
    page->OnAutoUpdateClicked();  // as a tab switch would; the box is still ticked
    EXPECT_FALSE(page->IsTimerRunning(kStatusTimerId)) << "nothing to poll without a converter";
}

// ---- forced close ----------------------------------------------------------------------------

TEST_F(PageTest, EachReasonHasItsMessageUnderTheTabTitle) {
    const std::pair<int, const std::string*> reasons[] = {{0, &kNotConnectedText},
                                                          {1, &kNoResponseText},
                                                          {2, &kNotMainFirmwareText},
                                                          {3, &kBootUpdaterText}};
    for (const auto& [reason, message] : reasons) {
        StartOther("COM3");
        CTestPage* page = StartOther("COM7");
        boxes.boxes.clear();
        page->CloseOnError(reason);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, *message);
        EXPECT_EQ(boxes.boxes[0].caption, "KTP-RGB-SDI (COM7) ERROR");
        EXPECT_TRUE(boxes.boxes[0].owned);
    }
    // A reason outside 0 to 3 closes without a box.
    CTestPage* page = StartOther("COM8");
    boxes.boxes.clear();
    page->CloseOnError(9);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(page->HasConverter());
}

TEST_F(PageTest, ClosingTabsRemovesExactlyTheirOwn) {
    CTestPage* a = StartOther("COM3");
    CTestPage* b = StartOther("COM4");
    CTestPage* c = StartOther("COM5");
    ui::TabCtrl& tab = main.tab;
    ASSERT_EQ(tab.GetItemCount(), 3);

    a->CloseOnError(1);
    EXPECT_EQ(tab.GetItemCount(), 2);
    EXPECT_EQ(tab.GetItemText(0), "KTP-RGB-SDI (COM4)");
    EXPECT_EQ(main.openTabs, 2);
    EXPECT_EQ(tab.GetCurSel(), 0);
    EXPECT_EQ(main.selChanges, 1);

    c->CloseOnError(1);
    ASSERT_EQ(tab.GetItemCount(), 1);
    EXPECT_EQ(tab.GetItemText(0), "KTP-RGB-SDI (COM4)");
    EXPECT_EQ(main.openTabs, 1);
    EXPECT_EQ(tab.GetCurSel(), 0);
    EXPECT_TRUE(b->HasConverter());
    EXPECT_FALSE(ui::qt::Window(*b)->isHidden()) << "the second page is the one shown";
    EXPECT_TRUE(ui::qt::Window(*a)->isHidden());
    EXPECT_TRUE(ui::qt::Window(*c)->isHidden());
}

TEST_F(PageTest, ClosingTheSelectedLaterTabSelectsTheOneBefore) {
    StartOther("COM3");
    StartOther("COM4");
    CTestPage* c = StartOther("COM5");
    main.tab.SetCurSel(2);
    c->CloseOnError(1);
    EXPECT_EQ(main.tab.GetCurSel(), 1);
}

TEST_F(PageTest, AForcedCloseDuringStartUpReleasesTheConverterAndReturns) {
    NewConverter(SimConfig::For(SimKind::Rgb, SimFirmware::Update));
    CTestPage* page = Start("ttyACM0");  // its main window is not known yet
    EXPECT_FALSE(page->HasConverter());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "KTP-RGB-SDI (ttyACM0) ERROR");
}

TEST_F(PageTest, ClosingTheLastTabTellsTheWindowToEndInsteadOfEndingTheProcess) {
    CTestPage* page = Start();
    page->CloseOnError(1);
    EXPECT_EQ(main.lastTabClosed, 1);
    EXPECT_EQ(main.tab.GetItemCount(), 0);
    EXPECT_EQ(main.selChanges, 0);
    EXPECT_FALSE(page->HasConverter());
}

// ---- keys and focus --------------------------------------------------------------------------

TEST_F(PageTest, EscapeDoesNothingInAPage) {
    CTestPage* page = Start();
    main.OnTcnSelchangeTab(nullptr, nullptr);
    ASSERT_FALSE(ui::qt::Window(*page)->isHidden());
    QTest::keyClick(ui::qt::Item(*page, IDC_ID_SN), Qt::Key_Escape);
    QTest::keyClick(ui::qt::Window(*page), Qt::Key_Escape);
    EXPECT_FALSE(ui::qt::Window(*page)->isHidden());
    EXPECT_TRUE(page->HasConverter());
}

TEST_F(PageTest, ShowingThePageFocusesTheUpdateButton) {
    CTestPage* page = Start();
    main.tab.show();
    main.tab.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main.tab));
    page->GotoDlgCtrl(IDC_ID_SN);
    page->ShowWindow(false);
    page->ShowWindow(true);
    EXPECT_NE(QApplication::focusWidget(), ui::qt::Item(*page, IDC_UPDATE))
        << "posted, not at once";
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), ui::qt::Item(*page, IDC_UPDATE));
}

// ---- attachment ------------------------------------------------------------------------------

TEST_F(PageTest, AttachDeviceOpensThePortOrLeavesNoDevice) {
    const Port port = SimPort(std::make_shared<CSimConverter>(config), "sim0");
    CTestPage page;
    page.AttachDevice(port);
    ASSERT_TRUE(page.HasConverter());
    EXPECT_EQ(page.Device()->Channel().Label(), "sim0");
    EXPECT_EQ(page.Device()->m_kind, config.kind);
    EXPECT_TRUE(page.Device()->CheckConnection(1, true));

    CTestPage second;  // the port is held: a second attachment gets nothing
    second.AttachDevice(port);
    EXPECT_FALSE(second.HasConverter());
}

}  // namespace
}  // namespace vexilo::test
