#include <gtest/gtest.h>

#include "discovery/devices.h"
#include "model/converter_model.h"
#include "model/operations.h"

namespace vexilo::model {
namespace {

TEST(ConverterModel, ValuesAreCheckedAgainstTheKindsRanges) {
    struct Case {
        Kind kind;
        const char* text;
        bool accepted;
        int value;
        const char* error;  // part of the refusal
    };
    const Case cases[] = {
        {Kind::Rgb, "hpos=-500", true, -500, ""},
        {Kind::Rgb, "hpos=+500", true, 500, ""},
        {Kind::Rgb, "hpos=501", false, 0, "allowed: -500..500"},
        {Kind::Rgb, "gain_b=74", true, 74, ""},
        {Kind::Rgb, "gain_b=75", false, 0, "allowed: -437..74"},
        {Kind::Rgb, "SYNC_TYPE=RGBS", true, 1, ""},
        {Kind::Rgb, "sync_type=3", false, 0, "allowed: rgb|rgbs|rgbhv"},
        {Kind::Rgb, "offset_auto=off", true, 0, ""},
        {Kind::Rgb, "phase=1.5", false, 0, "allowed: 0..31"},
        {Kind::Rgb, "scaler=sync", true, 1, ""},
        {Kind::Ntsc, "scaler=sync", false, 0, "not a setting of ntsc converters"},
        {Kind::Ntsc, "saturation=-128", true, -128, ""},
        {Kind::Dvi, "cable_detect=on", true, 1, ""},
        {Kind::Other, "output_format=59.94i", true, 0, ""},
        {Kind::Dvi, "output_format", false, 0, "expected NAME=VALUE"},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto a = ParseAssignment(KindOf(c.kind), c.text, error);
        ASSERT_EQ(a.has_value(), c.accepted) << c.text << " " << error;
        if (a) {
            EXPECT_EQ(a->value, c.value) << c.text;
        } else {
            EXPECT_NE(error.find(c.error), std::string::npos) << c.text << ": " << error;
        }
    }
}

TEST(ConverterModel, SpinPositionsMapToTheConvertersValues) {
    const KindModel& rgb = KindOf(Kind::Rgb);
    EXPECT_EQ(rgb.Find("hpos")->ToWire(-500), 0);
    EXPECT_EQ(rgb.Find("gain_r")->ToWire(-437), 511) << "gain runs opposite to the value";
    EXPECT_EQ(rgb.Find("offset_g")->ToWire(-511), 1023);
    EXPECT_EQ(rgb.Find("offset_g")->FromWire(1023), -511);
    EXPECT_EQ(rgb.Find("offset_auto")->FromWire(7), 1) << "any nonzero value is on";
    EXPECT_EQ(rgb.Find("phase")->FactoryValue(2), 22);
    EXPECT_EQ(rgb.Find("phase")->FactoryValue(200), 16);
    EXPECT_EQ(KindOf(Kind::Ntsc).Find("hue")->ToWire(0), 128);
    EXPECT_EQ(&KindOf(static_cast<Kind>(42)), &KindOf(Kind::Other));
    EXPECT_EQ(ModelString(0, Kind::Ntsc), "KTQ-NTSC-SDI");
    EXPECT_EQ(ModelString(0xFF, Kind::Other), "DVI-SDI");
}

// The names are what files, vexiloctl and VEXILO_PORTS write, in any case.
TEST(ConverterModel, EachKindIsFoundByItsNameAndNamesItsPage) {
    const struct {
        const char* name;
        Kind kind;
        Page page;
    } cases[] = {
        {"dvi", Kind::Dvi, Page::kDvi},
        {"RGB", Kind::Rgb, Page::kRgb},
        {"Ntsc", Kind::Ntsc, Page::kComposite},
        {"other", Kind::Other, Page::kDvi},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KindByName(c.name), &KindOf(c.kind)) << c.name;
        EXPECT_EQ(KindOf(c.kind).page, c.page) << c.name;
    }
    EXPECT_EQ(KindByName("vga"), nullptr);
    EXPECT_EQ(KindByName("rgb2"), nullptr);
    EXPECT_EQ(KindNames(", ", " or "), "dvi, rgb, ntsc or other");
}

TEST(ConverterModel, IdChangesFollowThePagesFieldRules) {
    struct Case {
        std::optional<std::string> enable, did, sn, id, name;
        bool accepted;
    };
    const Case cases[] = {
        {"on", "0x5a", "1234", "ab_1", "映像", true},
        {"yes", {}, {}, {}, {}, false},
        {{}, "0x4F", {}, {}, {}, false},
        {{}, "90", {}, {}, {}, true},  // decimal 90 is 0x5A
        {{}, {}, "123456789", {}, {}, false},
        {{}, {}, "", {}, {}, true},
        {{}, {}, {}, "AB-C", {}, false},
        {{}, {}, {}, "ABCDEFGHIJKLMNOPQ", {}, false},
        {{}, {}, {}, {}, std::string(80, 'n'), true},
        {{}, {}, {}, {}, std::string(81, 'n'), false},
        {{}, {}, {}, {}, "\xff", false},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto changes = CheckIdChanges(c.enable, c.did, c.sn, c.id, c.name, error);
        EXPECT_EQ(changes.has_value(), c.accepted) << error;
    }
    std::string error;
    const auto changes = CheckIdChanges({}, {}, "1234", "ab_1", {}, error);
    ASSERT_TRUE(changes);
    EXPECT_EQ(*changes->sn, "00001234");
    EXPECT_EQ(*changes->id, "AB_1");
}

TEST(ConverterModel, MergeKeepsWhatWasNotChangedAndFillsLikeThePage) {
    IdFields stored;
    stored.did = 0x40;  // shown and stored as 0x5F
    IdChanges sn;
    sn.sn = "00001234";
    IdFields merged = MergeIdChanges(stored, sn, 0, Kind::Ntsc);
    EXPECT_EQ(merged.id, "KTQNTSC_00001234");
    EXPECT_EQ(merged.name, "KTQNTSC_00001234");
    EXPECT_EQ(merged.model, "KTQ-NTSC-SDI");
    EXPECT_EQ(merged.did, 0x5F);

    stored.name = "Studio";
    merged = MergeIdChanges(stored, sn, 1, Kind::Rgb);
    EXPECT_EQ(merged.id, "") << "the operator's own Name keeps ID and Name as they are";
    EXPECT_EQ(merged.name, "Studio");
}

}  // namespace
}  // namespace vexilo::model
