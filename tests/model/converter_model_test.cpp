#include <gtest/gtest.h>

#include "discovery/devices.h"
#include "model/converter_model.h"
#include "model/operations.h"

namespace vexilo::model {
namespace {

TEST(ConverterModel, ValuesAreCheckedAgainstTheKindsRanges) {
    struct Case {
        int kind;
        const char* text;
        bool accepted;
        int value;
        const char* error;  // part of the refusal
    };
    const Case cases[] = {
        {DEVKIND_RGB, "hpos=-500", true, -500, ""},
        {DEVKIND_RGB, "hpos=+500", true, 500, ""},
        {DEVKIND_RGB, "hpos=501", false, 0, "allowed: -500..500"},
        {DEVKIND_RGB, "gain_b=74", true, 74, ""},
        {DEVKIND_RGB, "gain_b=75", false, 0, "allowed: -437..74"},
        {DEVKIND_RGB, "SYNC_TYPE=RGBS", true, 1, ""},
        {DEVKIND_RGB, "sync_type=3", false, 0, "allowed: rgb|rgbs|rgbhv"},
        {DEVKIND_RGB, "offset_auto=off", true, 0, ""},
        {DEVKIND_RGB, "phase=1.5", false, 0, "allowed: 0..31"},
        {DEVKIND_RGB, "scaler=sync", true, 1, ""},
        {DEVKIND_NTSC, "scaler=sync", false, 0, "not a setting of ntsc converters"},
        {DEVKIND_NTSC, "saturation=-128", true, -128, ""},
        {DEVKIND_DVI, "cable_detect=on", true, 1, ""},
        {DEVKIND_OTHER, "output_format=59.94i", true, 0, ""},
        {DEVKIND_DVI, "output_format", false, 0, "expected NAME=VALUE"},
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
    const KindModel& rgb = KindOf(DEVKIND_RGB);
    EXPECT_EQ(rgb.Find("hpos")->ToWire(-500), 0);
    EXPECT_EQ(rgb.Find("gain_r")->ToWire(-437), 511) << "gain runs opposite to the value";
    EXPECT_EQ(rgb.Find("offset_g")->ToWire(-511), 1023);
    EXPECT_EQ(rgb.Find("offset_g")->FromWire(1023), -511);
    EXPECT_EQ(rgb.Find("offset_auto")->FromWire(7), 1) << "any nonzero value is on";
    EXPECT_EQ(rgb.Find("phase")->FactoryValue(2), 22);
    EXPECT_EQ(rgb.Find("phase")->FactoryValue(200), 16);
    EXPECT_EQ(KindOf(DEVKIND_NTSC).Find("hue")->ToWire(0), 128);
    EXPECT_EQ(&KindOf(42), &KindOf(DEVKIND_OTHER));
    EXPECT_EQ(ModelString(0, DEVKIND_NTSC), "KTQ-NTSC-SDI");
    EXPECT_EQ(ModelString(0xFF, DEVKIND_OTHER), "DVI-SDI");
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
    IdFields merged = MergeIdChanges(stored, sn, 0, DEVKIND_NTSC);
    EXPECT_EQ(merged.id, "KTQNTSC_00001234");
    EXPECT_EQ(merged.name, "KTQNTSC_00001234");
    EXPECT_EQ(merged.model, "KTQ-NTSC-SDI");
    EXPECT_EQ(merged.did, 0x5F);

    stored.name = "Studio";
    merged = MergeIdChanges(stored, sn, 1, DEVKIND_RGB);
    EXPECT_EQ(merged.id, "") << "the operator's own Name keeps ID and Name as they are";
    EXPECT_EQ(merged.name, "Studio");
}

}  // namespace
}  // namespace vexilo::model
