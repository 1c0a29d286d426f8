// The analog RGB and composite pages on simulated converters: input-format tracking, spins,
// Auto boxes, adjustment factory values, save and cancel.
#include <QAbstractButton>
#include <QPushButton>
#include <QTest>
#include <array>
#include <functional>

#include "model_page_fixture.h"
#include "pages/argb_dialog.h"
#include "pages/cvbs_dialog.h"
#include "pages/dvid_dialog.h"

namespace vexilo::test {
namespace {

constexpr std::uint8_t kC = 3;  // two real formats
constexpr std::uint8_t kD = 5;

std::vector<SimRequest> Reads(int count) {
    std::vector<SimRequest> r;
    for (int i = 0; i < count; ++i) {
        r.push_back(GetAdj(static_cast<std::uint8_t>(i)));
    }
    return r;
}

std::vector<SimRequest> Cat(std::initializer_list<std::vector<SimRequest>> parts) {
    std::vector<SimRequest> all;
    for (const auto& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

// The ID block write carries 1021 bytes; only its place in the sequence matters here.
std::vector<SimRequest> Brief(std::vector<SimRequest> requests) {
    for (SimRequest& r : requests) {
        if (r.command == 0x12) {
            r.data.clear();
        }
    }
    return requests;
}

// What the RGB page's reload sends: thirteen reads, then sync auto and offset auto written back.
std::vector<SimRequest> RgbReload(std::uint16_t syncAuto = 1, std::uint16_t offsetAuto = 1) {
    return Cat({Reads(13), {SetAdj(10, syncAuto), SetAdj(6, offsetAuto)}});
}

SimConfig WithInput(SimKind kind, std::uint8_t format) {
    SimConfig c = SimConfig::For(kind);
    c.initialInputFormat = format;
    return c;
}

class AdjustPageTest : public ModelPageTest {
protected:
    CArgbDialog* StartRgb() { return Start<CArgbDialog>(Kind::Rgb); }
    CCvbsDialog* StartNtsc() { return Start<CCvbsDialog>(Kind::Ntsc); }

    // The requests from the page's first input-format query on.
    std::vector<SimRequest> FromFirstQuery() const {
        const auto log = sim->Log();
        auto it = std::find_if(log.begin(), log.end(),
                               [](const SimRequest& r) { return r.command == 0x0F; });
        return {it, log.end()};
    }
};

// ---- the factory -----------------------------------------------------------------------------

TEST(PageFactory, KindSelectsClassAndTemplate) {
    struct Case {
        Kind kind;
        int templateId;
        std::function<bool(CDevDialog*)> is;
    };
    auto dvi = [](CDevDialog* p) { return dynamic_cast<CDvidDialog*>(p) != nullptr; };
    const Case cases[] = {
        {Kind::Other, 133, dvi},
        {Kind::Dvi, 133, dvi},
        {Kind::Rgb, 134, [](CDevDialog* p) { return dynamic_cast<CArgbDialog*>(p) != nullptr; }},
        {Kind::Ntsc, 135, [](CDevDialog* p) { return dynamic_cast<CCvbsDialog*>(p) != nullptr; }},
        {static_cast<Kind>(7), 133, dvi},  // a value outside the kinds is served like Other
    };
    for (const Case& c : cases) {
        const int kind = static_cast<int>(c.kind);
        const auto page = CreateDevicePage(c.kind);
        ASSERT_NE(page, nullptr) << kind;
        EXPECT_TRUE(c.is(page.get())) << kind;
        EXPECT_EQ(PageTemplateId(c.kind), c.templateId) << kind;
        EXPECT_FALSE(page->HasConverter());
        EXPECT_TRUE(page->TabTitle().empty());
    }
}

// ---- input-format tracking -------------------------------------------------------------------

TEST_F(AdjustPageTest, AFormatChangeIsToldWithTheTextOfWhatRuns) {
    // Which answers change the values shown is the converter model's; the page tells the
    // operator, in the words of what runs, under its tab title.
    CArgbDialog* page = StartRgb();
    for (const bool commit : {false, true}) {
        ASSERT_TRUE(page->HasConverter());
        sim->SetInputFormat(commit ? kC : kD);
        boxes.boxes.clear();
        Mark();
        EXPECT_TRUE(page->CheckInputFormat(commit));
        EXPECT_EQ(Sent(), std::vector<SimRequest>{QueryFormat()});
        EXPECT_FALSE(page->m_bFormatNotice);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, commit ? CAdjustPage::FormatChangedCommitText()
                                              : CAdjustPage::FormatChangedText());
        EXPECT_EQ(boxes.boxes[0].caption, "KTP-RGB-SDI (COM3)");
        EXPECT_EQ(boxes.boxes[0].style, ui::kMbIconInformation | ui::kMbOk);
        EXPECT_TRUE(boxes.boxes[0].owned);
    }
    EXPECT_EQ(CAdjustPage::FormatChangedText(), kFormatChangedText);
    EXPECT_EQ(CAdjustPage::FormatChangedCommitText(), kFormatChangedCommitText);
}

TEST_F(AdjustPageTest, AFailedFormatQueryCloses) {
    NewSim(SimKind::Ntsc);
    CCvbsDialog* page = StartNtsc();
    sim->AddFault({SimFaultKind::Silence, 0, 0x0F});
    EXPECT_FALSE(page->CheckInputFormat(false));
    EXPECT_FALSE(page->HasConverter());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kNoResponseText);
    EXPECT_EQ(boxes.boxes[0].caption, "KTP-NTSC-SDI (COM3) ERROR");
}

TEST_F(AdjustPageTest, LostInputComingBackIsSilentUnlessTheFormatDiffers) {
    CArgbDialog* page = StartRgb();
    sim->SetInputFormat(0xFF);
    Mark();
    page->SendCommand(IDC_UPDATE);
    sim->SetInputFormat(kC);
    page->SendCommand(IDC_UPDATE);
    EXPECT_EQ(Sent(),
              (std::vector<SimRequest>{QueryFormat(), Req(0x03), QueryFormat(), Req(0x03)}));
    EXPECT_TRUE(boxes.boxes.empty());

    sim->SetInputFormat(0xFF);
    page->SendCommand(IDC_UPDATE);
    sim->SetAdjustment(kD, 3, 60);
    sim->SetInputFormat(kD);
    Mark();
    page->SendCommand(IDC_UPDATE);
    EXPECT_EQ(Sent(), Cat({{QueryFormat()}, RgbReload(), {Req(0x03)}}));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, CAdjustPage::FormatChangedText());
    EXPECT_EQ(page->GetDlgItemText(IDC_GAIN_R_EDIT), "14") << "the new format's values are shown";
}

TEST_F(AdjustPageTest, StatusTicksDuringTheFormatBoxReadOnlyTheStatus) {
    CCvbsDialog* page = StartNtsc();
    ui::qt::ItemAs<QAbstractButton>(*page, IDC_AUTO_UPDATE)->click();
    ASSERT_TRUE(page->IsTimerRunning(kStatusTimerId));
    sim->SetInputFormat(kD);
    boxes.onBox = [&] {
        EXPECT_TRUE(page->m_bFormatNotice);
        page->Timers().Fire(kStatusTimerId);
    };
    Mark();
    page->Timers().Fire(kStatusTimerId);
    boxes.onBox = nullptr;
    EXPECT_EQ(Sent(), Cat({{QueryFormat(), Req(0x03)}, Reads(4), {Req(0x03)}}));
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

// ---- start-up --------------------------------------------------------------------------------

TEST_F(AdjustPageTest, RgbStartUpShowsTheValuesSilently) {
    const std::pair<int, std::uint16_t> values[] = {{0, 0},   {1, 100}, {3, 0},  {4, 511},
                                                    {5, 74},  {6, 0},   {7, 0},  {8, 1023},
                                                    {9, 512}, {10, 0},  {11, 2}, {12, 31}};
    for (const auto& [index, value] : values) {
        sim->SetAdjustment(kC, index, value);
    }
    CArgbDialog* page = StartRgb();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(FromFirstQuery(), Cat({{QueryFormat()}, RgbReload(0, 0)}));
    const std::pair<int, const char*> shown[] = {
        {IDC_HPOS_EDIT, "-500"},     {IDC_VPOS_EDIT, "50"},    {IDC_GAIN_R_EDIT, "74"},
        {IDC_GAIN_G_EDIT, "-437"},   {IDC_GAIN_B_EDIT, "0"},   {IDC_OFFSET_R_EDIT, "512"},
        {IDC_OFFSET_G_EDIT, "-511"}, {IDC_OFFSET_B_EDIT, "0"}, {IDC_PHASE_EDIT, "31"},
    };
    for (const auto& [id, text] : shown) {
        EXPECT_EQ(page->GetDlgItemText(id), text) << id;
    }
    EXPECT_EQ(page->GetRadioIndex(IDC_SYNC_RGB), 2);
    EXPECT_FALSE(page->IsDlgButtonChecked(IDC_SYNC_AUTO));
    EXPECT_FALSE(page->IsDlgItemEnabled(IDC_SYNC_AUTO)) << "it only shows the setting";
    EXPECT_FALSE(page->GetDlgItemTip(IDC_SYNC_AUTO).empty()) << "and says so";
    EXPECT_TRUE(page->GetDlgItemTip(IDC_OFFSET_G_SPIN).empty());
    EXPECT_FALSE(page->IsDlgButtonChecked(IDC_OFFSET_AUTO));
    EXPECT_TRUE(page->IsDlgItemEnabled(IDC_SYNC_RGBS));
    EXPECT_TRUE(page->IsDlgItemEnabled(IDC_OFFSET_G_SPIN));
    EXPECT_EQ(page->TabTitle(), "KTP-RGB-SDI (COM3)");
}

TEST_F(AdjustPageTest, NtscStartUpShowsTheValuesAndHidesTheScaler) {
    NewSim(SimKind::Ntsc);
    for (const auto& [index, value] : {std::pair{0, 0}, {1, 255}, {2, 128}, {3, 7}}) {
        sim->SetAdjustment(0, index, static_cast<std::uint16_t>(value));
    }
    CCvbsDialog* page = StartNtsc();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(FromFirstQuery(), Cat({{QueryFormat()}, Reads(4)}));
    EXPECT_EQ(page->GetDlgItemText(IDC_BRIGHTNESS_EDIT), "-128");
    EXPECT_EQ(page->GetDlgItemText(IDC_CONTRAST_EDIT), "127");
    EXPECT_EQ(page->GetDlgItemText(IDC_HUE_EDIT), "0");
    EXPECT_EQ(page->GetDlgItemText(IDC_SATURATION_EDIT), "-121");
    EXPECT_FALSE(page->IsDlgItemShown(IDC_SCALER_ALWAYS));
    EXPECT_FALSE(page->IsDlgItemShown(IDC_SCALER_SYNC));
    EXPECT_EQ(page->TabTitle(), "KTP-NTSC-SDI (COM3)");
}

TEST_F(AdjustPageTest, WithoutInputTheRgbControlsComeUpDisabledSaveWhatAutoAllows) {
    const int adjust[] = {IDC_HPOS_EDIT,   IDC_VPOS_EDIT,     IDC_HPOS_SPIN,   IDC_VPOS_SPIN,
                          IDC_PHASE_EDIT,  IDC_PHASE_SPIN,    IDC_GAIN_R_EDIT, IDC_GAIN_B_SPIN,
                          IDC_OFFSET_AUTO, IDC_ADJUST_FACTORY};
    const int offsets[] = {IDC_OFFSET_R_EDIT, IDC_OFFSET_G_EDIT, IDC_OFFSET_B_EDIT,
                           IDC_OFFSET_R_SPIN, IDC_OFFSET_G_SPIN, IDC_OFFSET_B_SPIN};
    const int radios[] = {IDC_SYNC_RGB, IDC_SYNC_RGBS, IDC_SYNC_RGBHV};
    for (const bool syncAuto : {false, true}) {
        for (const bool offsetAuto : {false, true}) {
            NewSim(WithInput(SimKind::Rgb, 0xFF));
            sim->SetAdjustment(0xFF, 10, syncAuto ? 1 : 0);
            sim->SetAdjustment(0xFF, 6, offsetAuto ? 1 : 0);
            CArgbDialog* page = StartRgb();
            EXPECT_TRUE(boxes.boxes.empty());
            EXPECT_FALSE(page->HasInput());
            // A control greyed out for want of a signal says so; one that Auto greys out or
            // leaves usable does not.
            for (int id : adjust) {
                EXPECT_FALSE(page->IsDlgItemEnabled(id)) << id;
                EXPECT_EQ(page->GetDlgItemTip(id), CAdjustPage::NoInputTip()) << id;
            }
            for (int id : offsets) {
                EXPECT_EQ(page->IsDlgItemEnabled(id), !offsetAuto) << id;
                EXPECT_EQ(page->GetDlgItemTip(id).empty(), !offsetAuto) << id;
            }
            for (int id : radios) {
                EXPECT_EQ(page->IsDlgItemEnabled(id), !syncAuto) << id;
            }
            EXPECT_EQ(FromFirstQuery(),
                      Cat({{QueryFormat()}, RgbReload(syncAuto ? 1 : 0, offsetAuto ? 1 : 0)}));
        }
    }
}

TEST_F(AdjustPageTest, WithoutInputTheNtscAdjustmentsComeUpDisabled) {
    NewSim(WithInput(SimKind::Ntsc, 0xFF));
    CCvbsDialog* page = StartNtsc();
    for (int id :
         std::initializer_list<int>{IDC_BRIGHTNESS_EDIT, IDC_CONTRAST_EDIT, IDC_HUE_EDIT,
                                    IDC_SATURATION_EDIT, IDC_BRIGHTNESS_SPIN, IDC_CONTRAST_SPIN,
                                    IDC_HUE_SPIN, IDC_SATURATION_SPIN, IDC_ADJUST_FACTORY}) {
        EXPECT_FALSE(page->IsDlgItemEnabled(id)) << id;
        EXPECT_EQ(page->GetDlgItemTip(id), CAdjustPage::NoInputTip()) << id;
    }
    sim->SetInputFormat(kC);
    page->SendCommand(IDC_UPDATE);
    EXPECT_TRUE(page->IsDlgItemEnabled(IDC_HUE_SPIN)) << "the first format loads and enables";
    EXPECT_TRUE(page->GetDlgItemTip(IDC_HUE_SPIN).empty());
    EXPECT_TRUE(boxes.boxes.empty());
}

// ---- failed reads ----------------------------------------------------------------------------

TEST_F(AdjustPageTest, AFailedReloadReadClosesWithNothingShownOrWritten) {
    sim->SetAdjustment(kC, 3, 64);  // gain red shown as 10
    CArgbDialog* page = StartRgb();
    ASSERT_EQ(page->GetDlgItemText(IDC_GAIN_R_EDIT), "10");
    sim->SetInputFormat(kD);
    sim->AddFault({SimFaultKind::ErrorCode, 0x0C, 0x07, 1, 4});  // the fifth read fails
    Mark();
    page->SendCommand(IDC_UPDATE);
    EXPECT_EQ(Sent(), Cat({{QueryFormat()}, Reads(5)}));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, CAdjustPage::FormatChangedText());
    EXPECT_EQ(boxes.boxes[1].text, kNoResponseText);
    EXPECT_FALSE(page->HasConverter());
    EXPECT_EQ(page->GetDlgItemText(IDC_GAIN_R_EDIT), "10") << "nothing of the broken read shown";
}

TEST_F(AdjustPageTest, AnErasedValueIsShownClampedAndNeverWrittenBackUnstepped) {
    sim->SetAdjustment(kC, 0, 0xFFFF);  // horizontal
    sim->SetAdjustment(kC, 3, 0xFFFF);  // gain red
    CArgbDialog* page = StartRgb();
    EXPECT_TRUE(page->HasConverter());
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(FromFirstQuery(), Cat({{QueryFormat()}, RgbReload()}));
    EXPECT_EQ(page->GetDlgItemText(IDC_HPOS_EDIT), "500");
    EXPECT_EQ(page->GetDlgItemText(IDC_GAIN_R_EDIT), "-437");
    Mark();
    Step(page, IDC_GAIN_R_SPIN, +1);
    EXPECT_EQ(Sent(), (std::vector<SimRequest>{QueryFormat(), SetAdj(3, 74 + 436)}));
    EXPECT_EQ(sim->Adjustments(kC)[0], 0xFFFF);
}

TEST_F(AdjustPageTest, AFailedReadAtStartUpClosesBeforeAnyWrite) {
    for (SimKind kind : {SimKind::Rgb, SimKind::Ntsc}) {
        NewSim(kind);
        // The first 0x07 is the output settings read; the third is the second adjustment.
        sim->AddFault({SimFaultKind::Silence, 0, 0x07, 1, 2});
        boxes.boxes.clear();
        CDevDialog* page = kind == SimKind::Rgb ? static_cast<CDevDialog*>(StartRgb())
                                                : static_cast<CDevDialog*>(StartNtsc());
        EXPECT_EQ(FromFirstQuery(), Cat({{QueryFormat()}, Reads(2)})) << SimKindName(kind);
        EXPECT_FALSE(page->HasConverter());
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, kStartupNoResponseText);
        const int edit = kind == SimKind::Rgb ? int{IDC_HPOS_EDIT} : int{IDC_BRIGHTNESS_EDIT};
        EXPECT_EQ(page->GetDlgItemText(edit), "");
    }
}

// ---- spins -----------------------------------------------------------------------------------

struct SpinCase {
    int spinId;
    int editId;
    std::uint8_t index;
    int lower, upper;
    std::uint16_t atLower, atUpper;
};

class SpinTest : public AdjustPageTest {
protected:
    // Puts a spin at each end of its range and steps past it, and one step back inside.
    void CheckEnds(CDevDialog* page, const SpinCase& c) {
        const int inward = c.atLower < c.atUpper ? -1 : 1;  // value change of one step down
        ui::UpDown* spin = page->GetUpDown(c.spinId);
        ASSERT_NE(spin, nullptr);

        spin->SetPos32(c.upper);
        Mark();
        spin->Step(+1);
        spin->Step(-1);
        EXPECT_EQ(Sent(), (std::vector<SimRequest>{
                              QueryFormat(), SetAdj(c.index, c.atUpper), QueryFormat(),
                              SetAdj(c.index, static_cast<std::uint16_t>(c.atUpper + inward))}))
            << c.spinId;
        EXPECT_EQ(spin->GetPos32(), c.upper - 1) << c.spinId;

        spin->SetPos32(c.lower);
        Mark();
        spin->Step(-1);
        EXPECT_EQ(Sent(), (std::vector<SimRequest>{QueryFormat(), SetAdj(c.index, c.atLower)}))
            << c.spinId;
        EXPECT_EQ(spin->GetPos32(), c.lower) << "the position stays at the end";
        EXPECT_EQ(page->GetDlgItemText(c.editId), std::to_string(c.lower));
    }
};

TEST_F(SpinTest, RgbSpinsMapBothEndsOfTheirRanges) {
    sim->SetAdjustment(kC, 6, 0);  // offset auto off: offset spins usable
    CArgbDialog* page = StartRgb();
    const SpinCase cases[] = {
        {IDC_HPOS_SPIN, IDC_HPOS_EDIT, 0, -500, 500, 0, 1000},
        {IDC_VPOS_SPIN, IDC_VPOS_EDIT, 1, -50, 50, 0, 100},
        {IDC_GAIN_R_SPIN, IDC_GAIN_R_EDIT, 3, -437, 74, 511, 0},
        {IDC_GAIN_G_SPIN, IDC_GAIN_G_EDIT, 4, -437, 74, 511, 0},
        {IDC_GAIN_B_SPIN, IDC_GAIN_B_EDIT, 5, -437, 74, 511, 0},
        {IDC_OFFSET_R_SPIN, IDC_OFFSET_R_EDIT, 7, -511, 512, 1023, 0},
        {IDC_OFFSET_G_SPIN, IDC_OFFSET_G_EDIT, 8, -511, 512, 1023, 0},
        {IDC_OFFSET_B_SPIN, IDC_OFFSET_B_EDIT, 9, -511, 512, 1023, 0},
        {IDC_PHASE_SPIN, IDC_PHASE_EDIT, 12, 0, 31, 0, 31},
    };
    for (const SpinCase& c : cases) {
        CheckEnds(page, c);
        EXPECT_EQ(sim->Adjustments(kC)[c.index], c.atLower) << "the converter took it";
    }
    EXPECT_TRUE(page->HasConverter());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SpinTest, NtscSpinsMapBothEndsOfTheirRanges) {
    NewSim(SimKind::Ntsc);
    CCvbsDialog* page = StartNtsc();
    const SpinCase cases[] = {
        {IDC_BRIGHTNESS_SPIN, IDC_BRIGHTNESS_EDIT, 0, -128, 127, 0, 255},
        {IDC_CONTRAST_SPIN, IDC_CONTRAST_EDIT, 1, -128, 127, 0, 255},
        {IDC_HUE_SPIN, IDC_HUE_EDIT, 2, -128, 127, 0, 255},
        {IDC_SATURATION_SPIN, IDC_SATURATION_EDIT, 3, -128, 127, 0, 255},
    };
    for (const SpinCase& c : cases) {
        CheckEnds(page, c);
    }
    EXPECT_TRUE(page->HasConverter());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SpinTest, AStepThatFindsANewFormatReloadsAndSendsNothing) {
    CArgbDialog* page = StartRgb();
    sim->SetAdjustment(kD, 3, 60);  // gain red 14 in the new format
    sim->SetInputFormat(kD);
    Mark();
    Step(page, IDC_GAIN_R_SPIN, +1);
    EXPECT_EQ(Sent(), Cat({{QueryFormat()}, RgbReload()}));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, CAdjustPage::FormatChangedText());
    EXPECT_EQ(Pos(page, IDC_GAIN_R_SPIN), 14) << "the value loaded, not one step past it";
    EXPECT_EQ(page->GetDlgItemText(IDC_GAIN_R_EDIT), "14");

    NewSim(SimKind::Ntsc);
    CCvbsDialog* ntsc = StartNtsc();
    sim->SetAdjustment(kD, 0, 100);
    sim->SetInputFormat(kD);
    Mark();
    Step(ntsc, IDC_BRIGHTNESS_SPIN, -1);
    EXPECT_EQ(Sent(), Cat({{QueryFormat()}, Reads(4)}));
    EXPECT_EQ(Pos(ntsc, IDC_BRIGHTNESS_SPIN), -28);
}

// ---- arrows clicked and held -----------------------------------------------------------------

// Mouse clicks on the spins, with the timers on the simulator's clock: a transaction takes the
// converter's reply time.
class ArrowTest : public AdjustPageTest {
protected:
    void SetUp() override {
        manualTimers.UseClock([this] { return sim->NowMs(); },
                              [this](std::int64_t ms) { sim->AdvanceToMs(ms); });
    }
    static void Press(ui::UpDown* spin) {
        QWidget* arrows = ui::qt::Widget(*spin);
        QTest::mousePress(arrows, Qt::LeftButton, {}, QPoint(arrows->width() / 2, 1));
    }
    static void Release(ui::UpDown* spin) {
        QWidget* arrows = ui::qt::Widget(*spin);
        QTest::mouseRelease(arrows, Qt::LeftButton, {}, QPoint(arrows->width() / 2, 1));
    }
    static bool Repeat(ui::UpDown* spin) { return spin->Timers().Fire(ui::UpDown::kRepeatTimer); }
};

TEST_F(ArrowTest, AClickIsOneStepWhateverTheReplyTime) {
    CArgbDialog* page = StartRgb();
    sim->AddFault({SimFaultKind::Delay, 800, kSimAnyCommand, kSimForever});
    ui::UpDown* spin = page->GetUpDown(IDC_HPOS_SPIN);
    for (int click = 1; click <= 3; ++click) {
        Mark();
        Press(spin);
        // The window was blocked past the time of the first repeat: a tick that came due
        // meanwhile is delivered before the release.
        spin->Timers().FireIfDue(ui::UpDown::kRepeatTimer);
        Release(spin);
        EXPECT_EQ(Sent(), (std::vector<SimRequest>{QueryFormat(), SetAdj(0, 500 + click)}));
    }
    EXPECT_EQ(Pos(page, IDC_HPOS_SPIN), 3);
}

TEST_F(ArrowTest, NoStepAfterOneThatFailed) {
    for (const int lost : {1, kSimForever}) {  // one lost reply; a converter that stops answering
        NewSim(SimKind::Rgb);
        boxes.boxes.clear();
        CArgbDialog* page = StartRgb();
        ui::UpDown* spin = page->GetUpDown(IDC_GAIN_R_SPIN);
        Press(spin);
        ASSERT_TRUE(Repeat(spin));
        sim->AddFault({SimFaultKind::Silence, 0, 0x08, lost});
        // The box's own loop goes on delivering timer ticks.
        boxes.onBox = [&] {
            for (int i = 0; i < 10 && boxes.boxes.size() == 1; ++i) {
                Repeat(spin);
            }
        };
        Mark();
        Repeat(spin);
        Release(spin);
        boxes.onBox = nullptr;
        EXPECT_EQ(Sent(), (std::vector<SimRequest>{QueryFormat(), SetAdj(3, 74 - 3)})) << lost;
        ASSERT_EQ(boxes.boxes.size(), 1u) << lost;
        EXPECT_EQ(boxes.boxes[0].text, kNoResponseText);
    }
}

TEST_F(ArrowTest, AHeldArrowAcceleratesFromThePress) {
    CArgbDialog* page = StartRgb();
    ui::UpDown* spin = page->GetUpDown(IDC_HPOS_SPIN);
    const std::int64_t pressed = sim->NowMs();
    Press(spin);
    while (sim->NowMs() - pressed < 5000) {
        ASSERT_TRUE(Repeat(spin));
    }
    Release(spin);
    // 1 per step up to 2 s after the press, 5 up to 5 s, then 20.
    const int steps1 = 1 + (2000 - 500) / 50;
    const int steps5 = (5000 - 2000) / 50;
    EXPECT_EQ(Pos(page, IDC_HPOS_SPIN), steps1 + 5 * steps5 + 20);
    EXPECT_EQ(sim->Adjustments(kC)[0], 500 + Pos(page, IDC_HPOS_SPIN));
}

// ---- Auto boxes and sync type ----------------------------------------------------------------

TEST_F(AdjustPageTest, OffsetAutoSendsAndSwitchesTheOffsetControls) {
    CArgbDialog* page = StartRgb();
    ASSERT_TRUE(page->IsDlgButtonChecked(IDC_OFFSET_AUTO));
    ASSERT_FALSE(page->IsDlgItemEnabled(IDC_OFFSET_R_SPIN));
    auto* box = ui::qt::ItemAs<QAbstractButton>(*page, IDC_OFFSET_AUTO);
    Mark();
    box->click();
    EXPECT_EQ(Sent(), (std::vector<SimRequest>{QueryFormat(), SetAdj(6, 0)}));
    EXPECT_TRUE(page->IsDlgItemEnabled(IDC_OFFSET_R_SPIN));
    EXPECT_TRUE(page->IsDlgItemEnabled(IDC_OFFSET_B_EDIT));
    Mark();
    box->click();
    EXPECT_EQ(Sent(), (std::vector<SimRequest>{QueryFormat(), SetAdj(6, 1)}));
    EXPECT_FALSE(page->IsDlgItemEnabled(IDC_OFFSET_G_SPIN));
}

TEST_F(AdjustPageTest, SyncTypeButtonsSendTheirIndex) {
    sim->SetAdjustment(kC, 10, 0);
    CArgbDialog* page = StartRgb();
    Mark();
    ui::qt::ItemAs<QAbstractButton>(*page, IDC_SYNC_RGBHV)->click();
    ui::qt::ItemAs<QAbstractButton>(*page, IDC_SYNC_RGBS)->click();
    ui::qt::ItemAs<QAbstractButton>(*page, IDC_SYNC_RGB)->click();
    EXPECT_EQ(Sent(), (std::vector<SimRequest>{QueryFormat(), SetAdj(11, 2), QueryFormat(),
                                               SetAdj(11, 1), QueryFormat(), SetAdj(11, 0)}));
}

TEST_F(AdjustPageTest, ASyncTypeBeyondTheButtonsIsNeverWrittenBack) {
    sim->SetAdjustment(kC, 10, 0);
    sim->SetAdjustment(kC, 11, 7);
    CArgbDialog* page = StartRgb();
    EXPECT_EQ(page->GetRadioIndex(IDC_SYNC_RGB), -1);
    EXPECT_EQ(page->ShownValue("sync_type"), 7);
    Mark();
    Step(page, IDC_HPOS_SPIN, +1);
    ui::qt::ItemAs<QAbstractButton>(*page, IDC_OFFSET_AUTO)->click();
    page->SendCommand(IDC_UPDATE);
    EXPECT_EQ(page->ShownValue("sync_type"), 7);
    for (const SimRequest& r : Sent()) {
        EXPECT_FALSE(r.command == 0x08 && r.data.size() == 4 && r.data[1] == 11);
    }
    EXPECT_EQ(sim->Adjustments(kC)[11], 7);
    ui::qt::ItemAs<QAbstractButton>(*page, IDC_SYNC_RGBS)->click();
    EXPECT_EQ(Sent().back(), SetAdj(11, 1)) << "the operator's choice";
}

// ---- adjustment factory values ---------------------------------------------------------------

TEST_F(AdjustPageTest, RgbFactoryValuesUseThePhaseOfTheFormat) {
    struct Case {
        std::uint8_t format;
        bool loseInput;  // the input is gone when the button is pressed
        std::uint16_t phase;
    };
    const Case cases[] = {{3, false, 24},  {0, false, 0},   {1, false, 16},  {2, true, 22},
                          {15, false, 16}, {16, false, 16}, {200, false, 16}};
    boxes.yesNo = ui::kIdYes;
    for (const Case& c : cases) {
        NewSim(WithInput(SimKind::Rgb, c.format));
        sim->SetAdjustment(c.format, 10, 0);
        sim->SetAdjustment(c.format, 6, 0);
        sim->SetAdjustment(c.format, 3, 0);
        CArgbDialog* page = StartRgb();
        if (c.loseInput) {
            sim->SetInputFormat(0xFF);
        }
        Mark();
        page->SendCommand(IDC_ADJUST_FACTORY);
        EXPECT_EQ(Sent(),
                  (std::vector<SimRequest>{
                      QueryFormat(), SetAdj(0, 500), SetAdj(1, 50), SetAdj(3, 74), SetAdj(4, 74),
                      SetAdj(5, 74), SetAdj(7, 512), SetAdj(8, 512), SetAdj(9, 512),
                      SetAdj(12, c.phase), SetAdj(11, 0), SetAdj(10, 1), SetAdj(6, 1)}))
            << int(c.format);
        EXPECT_EQ(Pos(page, IDC_PHASE_SPIN), c.phase);
        for (int id : {IDC_HPOS_SPIN, IDC_VPOS_SPIN, IDC_GAIN_R_SPIN, IDC_OFFSET_B_SPIN}) {
            EXPECT_EQ(Pos(page, id), 0) << id;
        }
        EXPECT_EQ(page->GetRadioIndex(IDC_SYNC_RGB), 0);
        EXPECT_TRUE(page->IsDlgButtonChecked(IDC_SYNC_AUTO));
        EXPECT_TRUE(page->IsDlgButtonChecked(IDC_OFFSET_AUTO));
        EXPECT_FALSE(page->IsDlgItemEnabled(IDC_SYNC_RGB));
        EXPECT_FALSE(page->IsDlgItemEnabled(IDC_OFFSET_R_SPIN));
        EXPECT_TRUE(page->HasConverter()) << "the converter took every value";
        EXPECT_EQ(RgbPhaseDefault(c.format), c.phase);
    }
    EXPECT_EQ(boxes.boxes.size(), std::size(cases)) << "the question, nothing else";
}

TEST_F(AdjustPageTest, NtscFactoryValuesAreAllMidScale) {
    NewSim(SimKind::Ntsc);
    for (int i = 0; i < 4; ++i) {
        sim->SetAdjustment(0, i, static_cast<std::uint16_t>(10 * i));
    }
    CCvbsDialog* page = StartNtsc();
    Mark();
    boxes.yesNo = ui::kIdYes;
    ui::qt::ItemAs<QPushButton>(*page, IDC_ADJUST_FACTORY)->click();
    EXPECT_EQ(Sent(), (std::vector<SimRequest>{QueryFormat(), SetAdj(0, 128), SetAdj(1, 128),
                                               SetAdj(2, 128), SetAdj(3, 128)}));
    for (int id : {IDC_BRIGHTNESS_SPIN, IDC_CONTRAST_SPIN, IDC_HUE_SPIN, IDC_SATURATION_SPIN}) {
        EXPECT_EQ(Pos(page, id), 0) << id;
    }
}

TEST_F(AdjustPageTest, FactoryValuesAskFirstAndNoSendsNothing) {
    for (SimKind kind : {SimKind::Rgb, SimKind::Ntsc}) {
        NewSim(kind);
        sim->SetAdjustment(sim->ActiveFormat(), 0, 10);  // away from its factory value
        CDevDialog* page = kind == SimKind::Rgb ? static_cast<CDevDialog*>(StartRgb())
                                                : static_cast<CDevDialog*>(StartNtsc());
        const int spin = kind == SimKind::Rgb ? int{IDC_HPOS_SPIN} : int{IDC_BRIGHTNESS_SPIN};
        const int before = Pos(page, spin);
        boxes.boxes.clear();
        Mark();
        ui::qt::ItemAs<QPushButton>(*page, IDC_ADJUST_FACTORY)->click();  // answered with No
        ASSERT_EQ(boxes.boxes.size(), 1u) << SimKindName(kind);
        EXPECT_EQ(boxes.boxes[0].text, kAdjustFactoryQuestion);
        EXPECT_EQ(boxes.boxes[0].caption, page->TabTitle());
        EXPECT_EQ(boxes.boxes[0].style, ui::kMbYesNo | ui::kMbIconExclamation | ui::kMbDefButton2);
        EXPECT_TRUE(Sent().empty()) << SimKindName(kind) << ": not even the format query";
        EXPECT_EQ(Pos(page, spin), before);
    }
}

TEST_F(AdjustPageTest, FactoryValuesNeedAFormatSeen) {
    boxes.yesNo = ui::kIdYes;
    for (SimKind kind : {SimKind::Rgb, SimKind::Ntsc}) {
        NewSim(WithInput(kind, 0xFF));
        CDevDialog* page = kind == SimKind::Rgb ? static_cast<CDevDialog*>(StartRgb())
                                                : static_cast<CDevDialog*>(StartNtsc());
        Mark();
        page->SendCommand(IDC_ADJUST_FACTORY);  // the button itself is disabled
        EXPECT_EQ(Sent(), std::vector<SimRequest>{QueryFormat()}) << SimKindName(kind);
    }
    EXPECT_EQ(boxes.boxes.size(), 2u) << "the questions, nothing else";
}

TEST_F(AdjustPageTest, AFailedFactorySendSkipsTheRest) {
    CArgbDialog* page = StartRgb();
    sim->AddFault({SimFaultKind::Silence, 0, 0x08, 1, 2});
    Mark();
    boxes.yesNo = ui::kIdYes;
    page->SendCommand(IDC_ADJUST_FACTORY);
    EXPECT_EQ(Sent(), (std::vector<SimRequest>{QueryFormat(), SetAdj(0, 500), SetAdj(1, 50),
                                               SetAdj(3, 74)}));
    EXPECT_FALSE(page->HasConverter());
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, kNoResponseText);
}

// ---- save and cancel -------------------------------------------------------------------------

struct CommitCase {
    const char* what;
    bool revert;
    std::uint8_t startFormat;
    std::uint8_t formatAtCommit;  // kC: unchanged
    bool adjustmentCommit;        // 0x09 0x01 mode follows
    bool commitMessage;
};

TEST_F(AdjustPageTest, SaveAndCancelOnBothPages) {
    const CommitCase cases[] = {
        {"save", false, kC, kC, true, false},
        {"cancel", true, kC, kC, true, false},
        {"save after a format change", false, kC, kD, false, true},
        {"cancel after a format change", true, kC, kD, false, true},
        {"save with no format seen", false, 0xFF, 0xFF, false, false},
        {"save with the first format after start-up", false, 0xFF, kC, false, false},
    };
    for (SimKind kind : {SimKind::Rgb, SimKind::Ntsc}) {
        const int count = kind == SimKind::Rgb ? 13 : 4;
        const std::vector<SimRequest> reload = kind == SimKind::Rgb ? RgbReload() : Reads(count);
        for (const CommitCase& c : cases) {
            const std::string what = std::string(SimKindName(kind)) + ": " + c.what;
            NewSim(WithInput(kind, c.startFormat));
            CDevDialog* page = kind == SimKind::Rgb ? static_cast<CDevDialog*>(StartRgb())
                                                    : static_cast<CDevDialog*>(StartNtsc());
            const int spin = kind == SimKind::Rgb ? int{IDC_HPOS_SPIN} : int{IDC_HUE_SPIN};
            if (c.startFormat != 0xFF) {
                Step(page, spin, +1);  // an unsaved change
            }
            sim->SetInputFormat(c.formatAtCommit);
            boxes.boxes.clear();
            Mark();
            page->CommitSettings(c.revert);

            std::vector<SimRequest> expected =
                c.revert ? std::vector<SimRequest>{Req(0x09, {0x00, 0x01})}
                         : std::vector<SimRequest>{Req(0x05, {0x80}), Req(0x11, {0x04}), Req(0x12),
                                                   Req(0x09)};
            expected.push_back(QueryFormat());
            const bool changed = c.formatAtCommit != c.startFormat;
            if (changed) {
                expected.insert(expected.end(), reload.begin(), reload.end());
            }
            if (c.adjustmentCommit) {
                expected.push_back(Req(0x09, {0x01, static_cast<std::uint8_t>(c.revert)}));
            }
            EXPECT_EQ(Brief(Sent()), expected) << what;
            if (c.commitMessage) {
                ASSERT_EQ(boxes.boxes.size(), 1u) << what;
                EXPECT_EQ(boxes.boxes[0].text, CAdjustPage::FormatChangedCommitText()) << what;
            } else {
                EXPECT_TRUE(boxes.boxes.empty()) << what;
            }
            if (c.adjustmentCommit) {
                EXPECT_EQ(sim->Adjustments(kC), sim->StoredAdjustments(kC)) << what;
                EXPECT_EQ(sim->StoredAdjustments(kC)[kind == SimKind::Rgb ? 0 : 2],
                          c.revert ? (kind == SimKind::Rgb ? 500 : 128)
                                   : (kind == SimKind::Rgb ? 501 : 129))
                    << what;
            }
            if (changed) {
                // The page now shows the converter's current table: a later check is quiet.
                Mark();
                page->SendCommand(IDC_UPDATE);
                EXPECT_EQ(Sent(), (std::vector<SimRequest>{QueryFormat(), Req(0x03)})) << what;
                EXPECT_TRUE(page->IsDlgItemEnabled(spin)) << what;
            }
            EXPECT_TRUE(page->HasConverter()) << what;
        }
    }
}

TEST_F(AdjustPageTest, AFailedIdValidationSendsNothing) {
    for (SimKind kind : {SimKind::Rgb, SimKind::Ntsc}) {
        NewSim(kind);
        CDevDialog* page = kind == SimKind::Rgb ? static_cast<CDevDialog*>(StartRgb())
                                                : static_cast<CDevDialog*>(StartNtsc());
        page->ComboSetCurSel(IDC_ID_DID, -1);
        boxes.boxes.clear();
        Mark();
        page->CommitSettings(false);
        EXPECT_EQ(Sent(), std::vector<SimRequest>{Req(0x05, {0x80})}) << "only the series query";
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].caption, "KTP Series ERROR");
    }
}

TEST_F(AdjustPageTest, AFailedGeneralCommitClosesBeforeTheAdjustments) {
    CArgbDialog* page = StartRgb();
    sim->AddFault({SimFaultKind::Silence, 0, 0x09});
    Mark();
    page->CommitSettings(true);
    EXPECT_EQ(Sent(), std::vector<SimRequest>{Req(0x09, {0x00, 0x01})});
    EXPECT_FALSE(page->HasConverter());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kNoResponseText);
}

// ---- the composite page's hidden scaler ------------------------------------------------------

TEST_F(AdjustPageTest, TheHiddenScalerValueTravelsWithEveryOutputCommand) {
    for (std::uint8_t scaler : {0, 1, 2}) {
        NewSim(SimKind::Ntsc);
        SimGeneral general;
        general.scaler = scaler;
        sim->SetCurrent(general);
        CCvbsDialog* page = StartNtsc();
        Mark();
        ui::qt::ItemAs<QAbstractButton>(*page, IDC_LEVEL_B)->click();
        ui::qt::ItemAs<QAbstractButton>(*page, IDC_OUTPUT_59I)->click();
        page->SendCommand(IDC_SCALER_ALWAYS);  // no row in this page's map
        EXPECT_EQ(Sent(),
                  (std::vector<SimRequest>{Req(0x08, {1, 1, scaler}), Req(0x08, {0, 1, scaler})}))
            << int(scaler);
        Mark();
        boxes.yesNo = ui::kIdYes;
        ui::qt::ItemAs<QPushButton>(*page, IDC_FACTORY)->click();
        EXPECT_EQ(Sent(), std::vector<SimRequest>{Req(0x08, {1, 0, 0})}) << "factory: 0";
    }
}

}  // namespace
}  // namespace vexilo::test
