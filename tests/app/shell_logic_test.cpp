#include <gtest/gtest.h>

#include "app/shell_logic.h"

namespace vexilo {
namespace {

TEST(ShowSaveSwitch, OnlyTheWholeArgumentInAnyCaseCounts) {
    struct Case {
        std::vector<std::string> args;
        bool expected;
    };
    const Case cases[] = {
        {{"panel"}, false},
        {{"panel", "/s"}, true},
        {{"panel", "/S"}, true},
        {{"panel", "--demo", "x", "/s"}, true},
        {{"panel", "/s", "/S", "/s"}, true},
        {{"panel", "-s"}, false},
        {{"panel", "/save"}, false},
        {{"panel", "s"}, false},
        {{"panel", "/"}, false},
        {{"panel", "/s "}, false},
        {{"/s"}, false},  // the program name itself is never examined
        {{}, false},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const auto& a : c.args) {
            joined += "[" + a + "]";
        }
        EXPECT_EQ(HasShowSaveSwitch(c.args), c.expected) << joined;
    }
}

TEST(TabCaption, SeriesPrefixModelAndPortLabel) {
    EXPECT_EQ(TabCaption(1, Kind::Rgb, "COM3"), "KTP-RGB-SDI (COM3)");
    EXPECT_EQ(TabCaption(0, Kind::Dvi, "COM5"), "KTQ-DVI-SDI (COM5)");
    EXPECT_EQ(TabCaption(0x80, Kind::Ntsc, "ttyACM0"), "KTP-NTSC-SDI (ttyACM0)");
    EXPECT_EQ(TabCaption(std::nullopt, Kind::Rgb, "COM4"), "RGB-SDI (COM4)");
    EXPECT_EQ(TabCaption(1, Kind::Other, "COM9"), "KTP-DVI-SDI (COM9)");
    EXPECT_EQ(TabCaption(1, Kind::Rgb, std::string(100, 'x')).size(), 63u);
}

TEST(WindowTitle, VersionAfterTwoSpacesOrNone) {
    EXPECT_EQ(WindowTitle("3.0.1.2"), "KTP/Q Series Vexilo Panel  Ver. 3.0.1.2");
    EXPECT_EQ(WindowTitle(""), "KTP/Q Series Vexilo Panel");
}

struct FakePage {
    char name;
    bool device;
};

std::string Survivors(const std::string& names, const std::string& held) {
    std::array<std::unique_ptr<FakePage>, MAX_DEVICES> pages;
    std::array<Port, MAX_DEVICES> devices{};
    const int n = static_cast<int>(names.size());
    for (int i = 0; i < n; ++i) {
        pages[i] = std::make_unique<FakePage>(
            FakePage{names[i], held.find(names[i]) == std::string::npos});
        devices[i].label = std::string(1, names[i]);
    }
    const int left =
        DropPagesWithoutDevice(pages, devices, n, [](const FakePage& p) { return p.device; });
    std::string out;
    for (int i = 0; i < left; ++i) {
        out += pages[i]->name;
        EXPECT_EQ(devices[i].label, std::string(1, pages[i]->name)) << "entry follows its page";
    }
    for (int i = left; i < MAX_DEVICES; ++i) {
        EXPECT_EQ(pages[i], nullptr);
    }
    return out;
}

TEST(DropPagesWithoutDevice, LastPageTakesTheDroppedPlace) {
    EXPECT_EQ(Survivors("ABCD", "B"), "ADC");
    EXPECT_EQ(Survivors("ABCD", ""), "ABCD");
    EXPECT_EQ(Survivors("ABCD", "D"), "ABC");
    EXPECT_EQ(Survivors("ABCD", "ABCD"), "");
    EXPECT_EQ(Survivors("ABCD", "AD"), "CB");  // C moves into A's place, then B stays
    EXPECT_EQ(Survivors("A", "A"), "");
    EXPECT_EQ(Survivors("ABCDE", "BC"), "AED");
}

}  // namespace
}  // namespace vexilo
