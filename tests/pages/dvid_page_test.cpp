// The DVI page on a simulated converter: cable detect, factory settings, save and cancel.
#include <QAbstractButton>
#include <QPushButton>
#include <functional>

#include "model_page_fixture.h"
#include "pages/dvid_dialog.h"

namespace vexilo::test {
namespace {

class DviPageTest : public ModelPageTest {
protected:
    DviPageTest() { NewSim(SimKind::Dvi); }
    CDvidDialog* StartDvi() { return Start<CDvidDialog>(Kind::Dvi); }
    void SetCable(std::uint8_t byte) {
        SimGeneral general = sim->Current();
        general.cableDetect = byte;
        sim->SetCurrent(general);
    }
    // The requests from the cable-detect read on.
    std::vector<SimRequest> FromCableRead() const {
        const auto log = sim->Log();
        auto it = std::find_if(log.begin(), log.end(),
                               [](const SimRequest& r) { return r.command == 0x14; });
        return {it, log.end()};
    }
};

TEST_F(DviPageTest, TheCableDetectReadDecidesTheBox) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        bool ticked, enabled;
        std::string closedWith;  // empty: the page stays open
    };
    const Case cases[] = {
        {"detection off", [this] { SetCable(0); }, true, true, {}},
        {"detection on", [this] { SetCable(1); }, false, true, {}},
        {"any other byte is on", [this] { SetCable(0x5A); }, false, true, {}},
        {"error 0x0A",
         [this] {
             SimConfig c = SimConfig::For(SimKind::Dvi);
             c.cableDetect = false;
             c.unsupportedCode = 0x0A;
             NewSim(c);
         },
         false,
         false,
         {}},
        {"error 0x0B",
         [this] {
             SimConfig c = SimConfig::For(SimKind::Dvi);
             c.cableDetect = false;
             c.unsupportedCode = 0x0B;
             NewSim(c);
         },
         false,
         false,
         {}},
        {"error 0x0C",
         [this] {
             sim->AddFault({SimFaultKind::ErrorCode, 0x0C, 0x14});
         },
         false, true, StartupText("デバイスがエラーを返しました（コード 0x0C）")},
        {"no reply",
         [this] {
             sim->AddFault({SimFaultKind::Silence, 0, 0x14});
         },
         false, true, kStartupNoResponseText},
        // The converter answered, without a usable setting: unknown, so shown like unsupported.
        {"two bytes",
         [this] {
             sim->AddFault({SimFaultKind::WrongLength, 1, 0x14});
         },
         false,
         false,
         {}},
        {"no byte",
         [this] {
             sim->AddFault({SimFaultKind::WrongLength, -1, 0x14});
         },
         false,
         false,
         {}},
    };
    for (const Case& c : cases) {
        NewSim(SimKind::Dvi);
        c.arrange();
        boxes.boxes.clear();
        CDvidDialog* page = StartDvi();
        EXPECT_EQ(FromCableRead(), std::vector<SimRequest>{Req(0x14, {0x00})}) << c.what;
        EXPECT_EQ(page->IsDlgButtonChecked(IDC_NO_CABLE_CHECK), c.ticked) << c.what;
        EXPECT_EQ(page->m_bNoCableCheck, c.ticked) << c.what;
        EXPECT_EQ(page->IsDlgItemEnabled(IDC_NO_CABLE_CHECK), c.enabled) << c.what;
        EXPECT_EQ(page->GetDlgItemTip(IDC_NO_CABLE_CHECK).empty(),
                  c.enabled || !c.closedWith.empty())
            << c.what << ": a greyed box says why";
        EXPECT_EQ(page->HasConverter(), c.closedWith.empty()) << c.what;
        if (c.closedWith.empty()) {
            EXPECT_TRUE(boxes.boxes.empty()) << c.what;
        } else {
            ASSERT_EQ(boxes.boxes.size(), 1u) << c.what;
            EXPECT_EQ(boxes.boxes[0].text, c.closedWith) << c.what;
        }
    }
}

TEST_F(DviPageTest, TickingTurnsDetectionOff) {
    CDvidDialog* page = StartDvi();
    ASSERT_FALSE(page->IsDlgButtonChecked(IDC_NO_CABLE_CHECK));
    auto* box = ui::qt::ItemAs<QAbstractButton>(*page, IDC_NO_CABLE_CHECK);
    Mark();
    box->click();
    EXPECT_EQ(Sent(), std::vector<SimRequest>{Req(0x15, {0x00, 0x00})});
    EXPECT_EQ(sim->Current().cableDetect, 0);
    Mark();
    box->click();
    EXPECT_EQ(Sent(), std::vector<SimRequest>{Req(0x15, {0x00, 0x01})});
    EXPECT_EQ(sim->Current().cableDetect, 1);

    sim->AddFault({SimFaultKind::Silence, 0, 0x15});
    box->click();
    EXPECT_FALSE(page->HasConverter());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "KTP-DVI-SDI (COM3) ERROR");
}

TEST_F(DviPageTest, FactorySettingsResetCableDetectFirstWhenSupported) {
    SetCable(0);
    SimGeneral general = sim->Current();
    general.outputFormat = 0;
    general.scaler = 1;
    sim->SetCurrent(general);
    CDvidDialog* page = StartDvi();
    ASSERT_TRUE(page->IsDlgButtonChecked(IDC_NO_CABLE_CHECK));
    Mark();
    boxes.yesNo = ui::kIdYes;
    ui::qt::ItemAs<QPushButton>(*page, IDC_FACTORY)->click();
    EXPECT_EQ(Sent(), (std::vector<SimRequest>{Req(0x15, {0x00, 0x01}), Req(0x08, {1, 0, 0})}));
    EXPECT_FALSE(page->IsDlgButtonChecked(IDC_NO_CABLE_CHECK));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes.back().text,
              FactoryQuestion({kFactoryOutputLine, kFactoryCableLine, kFactoryIdLine}));

    SimConfig unsupported = SimConfig::For(SimKind::Dvi);
    unsupported.cableDetect = false;
    NewSim(unsupported);
    page = StartDvi();
    Mark();
    ui::qt::ItemAs<QPushButton>(*page, IDC_FACTORY)->click();
    EXPECT_EQ(Sent(), std::vector<SimRequest>{Req(0x08, {1, 0, 0})});
    EXPECT_FALSE(page->IsDlgItemEnabled(IDC_NO_CABLE_CHECK)) << "for the page's whole life";
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes.back().text, FactoryQuestion({kFactoryOutputLine, kFactoryIdLine}))
        << "no cable line for a setting that is not sent";
}

TEST_F(DviPageTest, SaveAndCancel) {
    struct Case {
        const char* what;
        SimFirmware firmware;
        bool revert;
        std::vector<SimRequest> sent;
        bool notice;
    };
    const Case cases[] = {
        {"save",
         SimFirmware::Main,
         false,
         {Req(0x05, {0x80}), Req(0x11, {0x04}), Req(0x12), Req(0x09)},
         false},
        {"cancel", SimFirmware::Main, true, {Req(0x09, {0x00, 0x01})}, false},
        {"cancel on firmware 1.05", SimFirmware::Old, true, {}, true},
        {"save on firmware 1.05", SimFirmware::Old, false, {Req(0x09)}, false},
    };
    for (const Case& c : cases) {
        NewSim(SimKind::Dvi, c.firmware);
        CDvidDialog* page = StartDvi();
        ASSERT_TRUE(page->HasConverter()) << c.what;
        EXPECT_EQ(page->OldFirmware(), c.firmware == SimFirmware::Old);
        ui::qt::ItemAs<QAbstractButton>(*page, IDC_LEVEL_B)->click();  // an unsaved change
        boxes.boxes.clear();
        Mark();
        page->CommitSettings(c.revert);
        auto sent = Sent();
        for (SimRequest& r : sent) {
            if (r.command == 0x12) {
                r.data.clear();
            }
        }
        EXPECT_EQ(sent, c.sent) << c.what;
        if (c.notice) {
            ASSERT_EQ(boxes.boxes.size(), 1u) << c.what;
            EXPECT_EQ(boxes.boxes[0].caption, "KTP-DVI-SDI Frimware Ver. 1.x");
            EXPECT_EQ(boxes.boxes[0].text, kOldDviFirmwareText);
            EXPECT_EQ(boxes.boxes[0].style, ui::kMbIconInformation | ui::kMbOk);
            EXPECT_EQ(sim->Current().sdiLevel, 1) << "the setting stays in effect";
        } else {
            EXPECT_TRUE(boxes.boxes.empty()) << c.what;
            EXPECT_EQ(sim->Stored().sdiLevel, c.revert ? 0 : 1) << c.what;
            EXPECT_EQ(sim->Current().sdiLevel, c.revert ? 0 : 1) << c.what;
        }
        EXPECT_TRUE(page->HasConverter()) << c.what;
    }
}

TEST_F(DviPageTest, AFailedIdValidationSendsNothing) {
    CDvidDialog* page = StartDvi();
    page->ComboSetCurSel(IDC_ID_DID, -1);
    Mark();
    page->CommitSettings(false);
    EXPECT_EQ(Sent(), std::vector<SimRequest>{Req(0x05, {0x80})}) << "only the series query";
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "KTP Series ERROR");
}

TEST_F(DviPageTest, AFailedCommitCloses) {
    CDvidDialog* page = StartDvi();
    sim->AddFault({SimFaultKind::ErrorCode, 0x0C, 0x09});
    page->CommitSettings(true);
    EXPECT_FALSE(page->HasConverter());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kNoResponseText);
}

}  // namespace
}  // namespace vexilo::test
