// Settings files: what a file may hold, and what an apply would send.
#include "model/settings_file.h"

#include <gtest/gtest.h>

#include "discovery/devices.h"

namespace vexilo::model {
namespace {

const Assignment* FindAssignment(const std::vector<Assignment>& list, std::string_view name) {
    for (const Assignment& a : list) {
        if (a.setting->name == name) {
            return &a;
        }
    }
    return nullptr;
}

std::string File(const std::string& converters, const std::string& version = "1") {
    return R"({"format":"vexilo-settings","version":)" + version + R"(,"converters":[)" +
           converters + "]}";
}

std::string Members(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += (i > 0 ? ",\"m" : "\"m") + std::to_string(i) + "\":0";
    }
    return text;
}

TEST(SettingsFile, RefusesWhatItCannotApplyWithTheReason) {
    const struct {
        std::string text;
        const char* reason;
    } cases[] = {
        {"{", "not a JSON document"},
        {File(R"({"kind":"rgb"})", "2"), "version 2 is not known"},
        {File(R"({"kind":"vga"})"), "\"kind\" must be one of"},
        {File(R"({"kind":"rgb","colour":1})"), "\"colour\" is not a known member"},
        {File(R"({"kind":"rgb","output":{"output_format":"50i"}})"), "allowed: 59.94i|59.94p"},
        {File(R"({"kind":"rgb","output":{"hpos":3}})"), "\"hpos\" is not a setting of this group"},
        {File(R"({"kind":"rgb","adjustments":{"input_format":3,"values":{"hpos":501}}})"),
         "allowed: -500..500"},
        {File(R"({"kind":"dvi","adjustments":{"input_format":3,"values":{}}})"),
         "dvi converters have no adjustments"},
        {File(R"({"kind":"ntsc","cable_detect":"on"})"), "ntsc converters have no cable detect"},
        {File(
             R"({"kind":"rgb","id_group":{"enabled":true,"did":"0x60","sn":"","id":"","name":""}})"),
         "allowed: 0x50..0x5F"},
        {File(
             R"({"kind":"rgb","id_group":{"enabled":true,"did":"0x5F","sn":"12a","id":"","name":""}})"),
         "--sn"},
        {File(R"({"kind":"rgb","port":"a"},{"kind":"rgb","port":"a"})"), "a second entry"},
        {File(R"({"kind":"rgb","port":"a"},{"kind":"rgb"})"), "needs a \"port\" or an ID"},
        // Hostile or damaged files: refused with the place, never wrapped, thrown or truncated.
        {File(R"({"kind":"rgb","adjustments":{"input_format":3,)"
              R"("values":{"hpos":18446744073709551116}}})"),
         "'18446744073709551116' is not allowed"},
        {File(R"({"kind":"rgb","adjustments":{"input_format":18446744073709551619,"values":{}}})"),
         "input_format: expected"},
        {R"({"format":1})", "not a settings file"},
        {R"({"format":"vexilo-settings","version":1,"version":2,"converters":[]})",
         "\"version\" is given twice"},
        {File(
             R"({"kind":"rgb"},{"kind":"rgb","port":"a","output":{"scaler":"sync","scaler":"full"}})"),
         "converters[1].output: \"scaler\" is given twice"},
        {"{\"format\": \"vexilo-settings\",\n  \"version\": }", "line 2, column 14: syntax error"},
        {std::string(kMaxSettingsFileBytes + 1, ' '), "larger than 1024 KiB"},
        {std::string(100000, '['), "nested deeper"},
        {File(R"({"kind":"rgb","output":{)" + Members(65) + "}}"),
         "converters[0].output: more members"},
        {File(R"({"kind":"rgb","id_group":{"enabled":true,"did":"0x5F","sn":"","id":"",)"
              R"("name":"a\u0000b"}})"),
         "no control characters"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseSettingsFile(c.text, error)) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << "\n -> " << error;
    }
}

TEST(SettingsFile, EntriesAreFoundByPortThenById) {
    std::string error;
    const auto file = ParseSettingsFile(
        File(
            R"({"kind":"rgb","port":"ttyACM0"},)"
            R"({"kind":"dvi","id_group":{"enabled":true,"did":"0x50","sn":"","id":"CAM_2","name":""}})"),
        error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(FindEntry(*file, "ttyACM0", "CAM_2"), &file->converters[0]);
    EXPECT_EQ(FindEntry(*file, "ttyACM1", "CAM_2"), &file->converters[1]);
    EXPECT_EQ(FindEntry(*file, "ttyACM1", "CAM_3"), nullptr);
}

TEST(SettingsFile, PlanSendsOnlyWhatDiffersAndTheRoundTripKeepsEveryValue) {
    Identity identity;
    identity.kind = Kind::Rgb;
    SettingsSnapshot now;
    now.output = requests::OutputSettings{1, 0, 0};
    now.inputFormat = 3;
    for (std::uint8_t i = 0; i < kRgbAdjustmentCount; ++i) {
        const Setting* s = AdjustmentSetting(identity.Kind(), i);
        now.adjustments.push_back(s != nullptr ? s->ToWire(s->upper) : 0);
    }
    IdGroup id;
    id.supported = id.read = true;
    id.fields.sn = "00000001";
    const ConverterSettings captured = CaptureSettings("ttyACM0", identity, now, id);

    std::string error;
    SettingsFile file{{captured}};
    const auto parsed = ParseSettingsFile(ToJson(file).dump(), error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(ToJson(*parsed), ToJson(file));
    EXPECT_FALSE(PlanApply(parsed->converters[0], now, id, true).Any());

    SettingsSnapshot changed = now;
    changed.output->format = 0;
    changed.adjustments[kRgbHPos] = 0;
    id.fields.sn = "00000002";
    const ApplyPlan plan = PlanApply(parsed->converters[0], changed, id, false);
    ASSERT_EQ(plan.writes.size(), 2u);
    EXPECT_EQ(plan.writes[0].setting->name, std::string("output_format"));
    EXPECT_EQ(plan.writes[1].setting->name, std::string("hpos"));
    EXPECT_FALSE(plan.id.Any()) << "SN changed without --with-identity";
    EXPECT_TRUE(PlanApply(parsed->converters[0], changed, id, true).id.sn.has_value());
}

TEST(SettingsFile, OffsetsFollowTheirAutoSwitchWhichIsSentFirst) {
    std::string error;
    const auto file = ParseSettingsFile(File(R"({"kind":"rgb","adjustments":{"input_format":3,)"
                                             R"("values":{"offset_r":9,"offset_auto":"off"}}})"),
                                        error);
    ASSERT_TRUE(file) << error;
    SettingsSnapshot now;
    now.inputFormat = 3;
    now.adjustments.assign(kRgbAdjustmentCount, 1);  // offset auto on
    const ApplyPlan plan = PlanApply(file->converters[0], now, IdGroup{}, false);
    ASSERT_EQ(plan.writes.size(), 2u);
    EXPECT_EQ(plan.writes[0].setting->name, std::string("offset_auto"));
    EXPECT_EQ(plan.writes[1].setting->name, std::string("offset_r"));

    const auto automatic =
        ParseSettingsFile(File(R"({"kind":"rgb","adjustments":{"input_format":3,)"
                               R"("values":{"offset_r":9,"offset_auto":"on"}}})"),
                          error);
    ASSERT_TRUE(automatic) << error;
    EXPECT_FALSE(PlanApply(automatic->converters[0], now, IdGroup{}, false).Any());
}

TEST(SettingsFile, SettingsBehindAnAutoSwitchThatIsOnAreNeitherBackedUpNorClaimedAsApplied) {
    Identity identity;
    identity.kind = Kind::Rgb;
    SettingsSnapshot now;
    now.inputFormat = 3;
    now.adjustments.assign(kRgbAdjustmentCount, 1);  // offset auto and sync auto on
    const ConverterSettings captured = CaptureSettings("ttyACM0", identity, now, IdGroup{});
    for (const char* name : {"offset_r", "offset_g", "offset_b", "sync_type"}) {
        EXPECT_EQ(FindAssignment(captured.adjustments, name), nullptr) << name;
    }
    EXPECT_NE(FindAssignment(captured.adjustments, "offset_auto"), nullptr);

    // A file that holds them anyway lists them as skipped.
    std::string error;
    const auto file = ParseSettingsFile(File(R"({"kind":"rgb","adjustments":{"input_format":3,)"
                                             R"("values":{"offset_r":9,"offset_auto":"on"}}})"),
                                        error);
    ASSERT_TRUE(file) << error;
    const ApplyPlan plan = PlanApply(file->converters[0], now, IdGroup{}, false);
    EXPECT_FALSE(plan.Any());
    ASSERT_EQ(plan.skipped.size(), 1u);
    EXPECT_EQ(plan.skipped[0].what, "offset_r");
}

TEST(SettingsFile, EntriesFollowTheIdentityTheyHoldAndAmbiguityIsRefused) {
    std::string error;
    const auto rack = ParseSettingsFile(
        File(
            R"({"kind":"rgb","port":"ACM0","id_group":{"enabled":true,"did":"0x5F","sn":"00000001","id":"A","name":""}},)"
            R"({"kind":"rgb","port":"ACM1","id_group":{"enabled":true,"did":"0x5F","sn":"00000002","id":"B","name":""}},)"
            R"({"kind":"rgb","port":"ACM2"})"),
        error);
    ASSERT_TRUE(rack) << error;
    const IdentityKey a{"00000001", "A"};
    const IdentityKey b{"00000002", "B"};
    const IdentityKey other{"00000009", "Z"};
    struct Case {
        const char* what;
        std::vector<ConverterKey> keys;
        bool byPort;
        std::vector<int> entries;  // -1: refused
        std::vector<std::size_t> unused;
        const char* error;  // of the first refused converter
    };
    const Case cases[] = {
        {"ports swapped", {{"ACM0", b}, {"ACM1", a}, {"ACM2", {}}}, false, {1, 0, 2}, {}, ""},
        {"another identity on the port",
         {{"ACM0", other}, {"ACM1", b}},
         false,
         {-1, 1},
         {0, 2},
         "holds SN 00000009, ID Z, but the file's entry for ACM0 is for SN 00000001, ID A"},
        {"by port", {{"ACM0", other}, {"ACM1", a}}, true, {0, 1}, {2}, ""},
        {"two converters hold one identity",
         {{"ACM0", a}, {"ACM3", a}},
         false,
         {-1, -1},
         {0, 1, 2},
         "the converters on ACM0, ACM3 all match converters[0]"},
        {"an identity-less entry keeps its port", {{"ACM2", other}}, false, {2}, {0, 1}, ""},
    };
    for (const Case& c : cases) {
        const Matching m = MatchEntries(*rack, c.keys, c.byPort);
        std::vector<int> entries;
        std::string firstError;
        for (const EntryMatch& e : m.converters) {
            entries.push_back(e.entry);
            if (firstError.empty()) {
                firstError = e.error;
            }
        }
        EXPECT_EQ(entries, c.entries) << c.what;
        EXPECT_EQ(m.unused, c.unused) << c.what;
        EXPECT_NE(firstError.find(c.error), std::string::npos) << c.what << ": " << firstError;
    }

    // One converter holding the identity of two entries; a one-entry file with an identity is
    // only for its holder, one without is for every converter.
    const auto twice = ParseSettingsFile(
        File(
            R"({"kind":"rgb","port":"ACM0","id_group":{"enabled":true,"did":"0x5F","sn":"00000001","id":"A","name":""}},)"
            R"({"kind":"rgb","port":"ACM1","id_group":{"enabled":true,"did":"0x5F","sn":"00000001","id":"A","name":""}})"),
        error);
    ASSERT_TRUE(twice) << error;
    const std::vector<ConverterKey> one{{"ACM5", a}};
    EXPECT_NE(MatchEntries(*twice, one, false).converters[0].error.find("holds the identity of"),
              std::string::npos);
    SettingsFile single{{rack->converters[0]}};
    const std::vector<ConverterKey> two{{"ACM7", other}, {"ACM8", a}};
    Matching m = MatchEntries(single, two, false);
    EXPECT_EQ(m.converters[0].entry, -1);
    EXPECT_EQ(m.converters[1].entry, 0);
    single.converters[0].idGroup.reset();
    m = MatchEntries(single, two, false);
    EXPECT_EQ(m.converters[0].entry, 0);
    EXPECT_EQ(m.converters[1].entry, 0);
}

}  // namespace
}  // namespace vexilo::model
