// vexiloctl changes a converter with exactly the commands a page sends for the same operation.
#include <QAbstractButton>
#include <QTest>
#include <functional>
#include <sstream>

#include "cli/vexiloctl.h"
#include "discovery/devices.h"
#include "model_page_fixture.h"
#include "pages/adjust_page.h"
#include "pages/argb_dialog.h"
#include "pages/cvbs_dialog.h"
#include "pages/dvid_dialog.h"

namespace vexilo::test {
namespace {

// The page read the converter's state at start-up; vexiloctl reads it when asked. Those reads
// change nothing, so they are left out; everything else, the input-format checks that guard the
// adjustments included, must match command for command, byte for byte.
std::vector<SimRequest> Changing(const std::vector<SimRequest>& log) {
    std::vector<SimRequest> kept;
    for (const SimRequest& r : log) {
        const bool read = r.command == 0x00 || r.command == 0x01 || r.command == 0x05 ||
                          r.command == 0x11 || r.command == 0x14 || r.command == 0x07;
        if (!read) {
            kept.push_back(r);
        }
    }
    return kept;
}

void Click(CDevDialog* page, int id) {
    ui::qt::ItemAs<QAbstractButton>(*page, id)->click();
}

struct Case {
    const char* what;
    SimConfig config;
    std::function<void(CDevDialog*)> page;
    std::vector<std::vector<std::string>> cli;  // vexiloctl runs, in order
};

class SameCommandsTest : public ModelPageTest {
protected:
    // The commands vexiloctl sends to a fresh converter of `config`.
    std::vector<SimRequest> CliSends(const SimConfig& config,
                                     const std::vector<std::vector<std::string>>& runs) {
        auto converter = std::make_shared<CSimConverter>(config);
        SetDeviceSource([port = SimPort(converter, "COM4")] { return std::vector<Port>{port}; });
        for (const auto& args : runs) {
            std::ostringstream out;
            std::ostringstream err;
            cli::RunVexiloctl(args, out, err);
        }
        SetDeviceSource({});
        return converter->Log();
    }
};

TEST_F(SameCommandsTest, EachOperationSendsThePagesCommands) {
    const SimConfig rgb = SimConfig::For(SimKind::Rgb);
    const SimConfig dvi = SimConfig::For(SimKind::Dvi);
    const SimConfig ntsc = SimConfig::For(SimKind::Ntsc);
    const Case cases[] = {
        {"gain step",
         rgb,
         [](CDevDialog* p) { Step(p, IDC_GAIN_R_SPIN, -1); },
         {{"set", "gain_r=-1"}}},
        {"phase step",
         rgb,
         [](CDevDialog* p) { Step(p, IDC_PHASE_SPIN, 1); },
         {{"set", "phase=25"}}},
        {"offset with Auto off",
         rgb,
         [](CDevDialog* p) {
             Click(p, IDC_OFFSET_AUTO);
             Step(p, IDC_OFFSET_B_SPIN, 1);
         },
         {{"set", "offset_auto=off", "offset_b=1"}}},
        {"brightness",
         ntsc,
         [](CDevDialog* p) { Step(p, IDC_BRIGHTNESS_SPIN, 1); },
         {{"set", "brightness=1"}}},
        {"output format",
         dvi,
         [](CDevDialog* p) { Click(p, IDC_OUTPUT_59I); },
         {{"set", "output_format=59.94i"}}},
        {"cable detect",
         dvi,
         [](CDevDialog* p) { Click(p, IDC_NO_CABLE_CHECK); },
         {{"set", "cable_detect=off"}}},
        {"save", rgb, [](CDevDialog* p) { p->CommitSettings(false); }, {{"save"}}},
        {"revert", ntsc, [](CDevDialog* p) { p->CommitSettings(true); }, {{"revert"}}},
        {"revert on old firmware",
         SimConfig::For(SimKind::Dvi, SimFirmware::Old),
         [](CDevDialog* p) { p->CommitSettings(true); },
         {{"revert"}}},
        {"factory", dvi, [](CDevDialog* p) { Click(p, IDC_FACTORY); }, {{"factory"}}},
        {"factory adjustments",
         rgb,
         [](CDevDialog* p) { Click(p, IDC_ADJUST_FACTORY); },
         {{"factory", "--adjustments"}}},
        {"factory adjustments",
         ntsc,
         [](CDevDialog* p) { Click(p, IDC_ADJUST_FACTORY); },
         {{"factory", "--adjustments"}}},
        {"ID settings and save",
         rgb,
         [](CDevDialog* p) {
             Click(p, IDC_ID_ENABLE);
             QTest::keyClicks(ui::qt::Item(*p, IDC_ID_SN), "1234");
             p->Dispatch(ui::Notify::EnKillFocus, IDC_ID_SN);
             p->CommitSettings(false);
         },
         {{"id", "--enable", "on", "--sn", "1234"}, {"save"}}},
    };
    boxes.yesNo = ui::kIdYes;  // the factory buttons ask first
    for (const Case& c : cases) {
        NewSim(c.config);
        CDevDialog* page = nullptr;
        switch (c.config.kind) {
            case SimKind::Rgb:
                page = Start<CArgbDialog>(Kind::Rgb);
                break;
            case SimKind::Ntsc:
                page = Start<CCvbsDialog>(Kind::Ntsc);
                break;
            default:
                page = Start<CDvidDialog>(Kind::Dvi);
                break;
        }
        ASSERT_NE(page, nullptr) << c.what;
        Mark();
        c.page(page);
        const auto expected = Changing(Sent());
        EXPECT_EQ(Changing(CliSends(c.config, c.cli)), expected) << c.what;
        EXPECT_FALSE(expected.empty() && c.cli[0][0] != "revert") << c.what << ": nothing sent";
    }
}

}  // namespace
}  // namespace vexilo::test
