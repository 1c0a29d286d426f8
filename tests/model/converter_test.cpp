#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "discovery/devices.h"
#include "model/converter.h"
#include "sim/sim_comm.h"

namespace vexilo::model {
namespace {

std::unique_ptr<Converter> On(const std::shared_ptr<CSimConverter>& sim) {
    return std::make_unique<Converter>(
        std::make_unique<CDevLink>(std::make_unique<CDevChannel>(std::make_unique<CSimComm>(sim)),
                                   sim->Config().kind),
        "ttyACM0");
}

TEST(ConverterTest, IdentifyRefusesFirmwareThatIsNotTheMainOne) {
    struct Case {
        SimFirmware firmware;
        const char* error;
    };
    const Case cases[] = {{SimFirmware::Boot, "not running its main firmware"},
                          {SimFirmware::Update, "boot-update firmware"}};
    for (const Case& c : cases) {
        auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb, c.firmware));
        const Outcome r = On(sim)->Identify();
        EXPECT_FALSE(r.ok());
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
    }
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Dvi, SimFirmware::Old));
    auto converter = On(sim);
    ASSERT_TRUE(converter->Identify().ok());
    EXPECT_TRUE(converter->Identified().oldFirmware);
    EXPECT_EQ(converter->Identified().model, "DVI-SDI") << "no series code from this firmware";
}

TEST(ConverterTest, AnUnansweredVersionQueryIsNotBlamedOnTheFirmware) {
    struct Case {
        SimFirmware firmware;
        bool silent;
        const char* error;
        Fault end;
    };
    const Case cases[] = {
        {SimFirmware::Main, true, "does not respond", Fault::kNoResponse},
        {SimFirmware::Boot, false, "not running its main firmware", Fault::kNotMainFirmware}};
    for (const Case& c : cases) {
        auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Dvi, c.firmware));
        if (c.silent) {
            sim->AddFault({SimFaultKind::Silence, 0, 0x01, kSimForever});
        }
        const Outcome r = On(sim)->Identify(1);
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
        EXPECT_EQ(On(sim)->Start().fault, c.end) << c.error;
    }
}

TEST(ConverterTest, AdjustmentsNeedAnInputFormat) {
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Ntsc));
    sim->SetInputFormat(kSimNoInput);
    auto converter = On(sim);
    ASSERT_TRUE(converter->Identify().ok());
    sim->ClearLog();
    const KindModel& kind = converter->Kind();
    const Assignment hue{kind.Find("hue"), 5};
    const Outcome r = converter->WriteSettings(std::span<const Assignment>(&hue, 1));
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.error.find("no input signal"), std::string::npos);
    EXPECT_EQ(sim->LoggedCommands(), std::vector<std::uint8_t>{0x0F}) << "no write";
    // Save stores the general settings, and no adjustment table without a format: it says so.
    sim->ClearLog();
    const Outcome saved = converter->Save();
    EXPECT_TRUE(saved.ok());
    EXPECT_EQ(saved.SkippedText(), "adjustments (no input signal)");
    const auto sent = sim->LoggedCommands();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 0x09), 1);
    EXPECT_EQ(sent.back(), 0x0F);
}

TEST(ConverterTest, AStoredFFFFIsAValueNotAFailure) {
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Ntsc));
    sim->SetAdjustment(sim->ActiveFormat(), 2, 0xFFFF);
    const Setting* hue = KindOf(Kind::Ntsc).Find("hue");
    SettingsSnapshot snapshot;
    ASSERT_TRUE(On(sim)->ReadSettings(std::span<const Setting* const>(&hue, 1), snapshot).ok());
    EXPECT_EQ(snapshot.Value(*hue), 0xFFFF - 128);
}

TEST(ConverterTest, AnUnansweredQueryIsNeverTakenForAnAnswer) {
    // A lost series reply is not "no ID function"; firmware that refuses the query has none.
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb));
    auto converter = On(sim);
    ASSERT_TRUE(converter->Identify().ok());
    sim->AddFault({SimFaultKind::Silence, 0, 0x05});
    const Outcome lost = converter->LoadId();
    EXPECT_FALSE(lost.ok());
    EXPECT_FALSE(converter->Id().known);
    EXPECT_NE(lost.error.find("series query"), std::string::npos) << lost.error;
    auto old = On(std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb, SimFirmware::Old)));
    ASSERT_TRUE(old->Identify().ok());
    ASSERT_TRUE(old->LoadId().ok());
    EXPECT_FALSE(old->Id().supported);

    // A record that was not read takes no change.
    ASSERT_TRUE(converter->Identify().ok());
    sim->AddFault({SimFaultKind::Silence, 0, 0x11});
    ASSERT_TRUE(converter->LoadId().ok());
    EXPECT_TRUE(converter->Id().supported);
    EXPECT_FALSE(converter->Id().read);
    sim->ClearLog();
    IdChanges changes;
    changes.sn = "00005678";
    bool written = true;
    const Outcome refused = converter->WriteId(changes, written);
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(refused.error, "the ID record could not be read; nothing was sent");
    EXPECT_FALSE(written);
    EXPECT_TRUE(sim->Log().empty());
}

TEST(ConverterTest, WriteSettingsTellsWhichAssignmentsWereAcceptedAndStopsOnTheFlag) {
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb));
    auto converter = On(sim);
    const KindModel& kind = KindOf(Kind::Rgb);
    const Assignment values[] = {{kind.Find("output_format"), 0},
                                 {kind.Find("hpos"), 3},
                                 {kind.Find("vpos"), 4},
                                 {kind.Find("phase"), 5}};
    // The adjustment writes are the second and third 0x08; the third goes unanswered.
    sim->AddFault({SimFaultKind::Silence, 0, 0x08, 1, 2});
    WriteProgress progress;
    EXPECT_FALSE(converter->WriteSettings(values, &progress).ok());
    EXPECT_EQ(progress.sent, (std::vector<bool>{true, true, false, false}));

    std::atomic<bool> stop{true};
    progress.stop = &stop;
    sim->ClearLog();
    EXPECT_TRUE(converter->WriteSettings(values, &progress).ok());
    EXPECT_TRUE(progress.stopped);
    EXPECT_EQ(progress.sent, std::vector<bool>(4, false));
    EXPECT_TRUE(sim->Log().empty());
}

// ---- input-format tracking ----

TEST(ConverterTest, InputFormatTracking) {
    constexpr std::uint8_t kC = 3, kD = 5, kNone = 0xFF;
    // From a state reached by `before` (queries answered in turn), one more query.
    struct Row {
        std::vector<std::uint8_t> before;
        std::uint8_t query;
        std::uint8_t input, last;
        bool changed, notify;
    };
    const Row rows[] = {
        {{}, kC, kC, kC, true, false},
        {{}, kNone, kNone, kNone, true, false},
        {{kC}, kC, kC, kC, false, false},
        {{kC}, kD, kD, kD, true, true},
        {{kC}, kNone, kNone, kC, false, false},
        {{kC, kNone}, kC, kC, kC, false, false},
        {{kC, kNone}, kD, kD, kD, true, true},
        {{kNone}, kC, kC, kC, true, false},
        {{kNone}, kNone, kNone, kNone, false, false},
        // Reserved codes from the converter are no format: like losing the input.
        {{kC}, 0xF5, kNone, kC, false, false},
        {{}, 0xFE, kNone, kNone, true, false},
        {{kC, kNone}, 0xFD, kNone, kC, false, false},
    };
    for (const Row& row : rows) {
        auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb));
        auto converter = On(sim);
        FormatCheck check;
        for (std::uint8_t code : row.before) {
            sim->SetInputFormat(code);
            ASSERT_TRUE(converter->CheckInputFormat(check).ok());
        }
        sim->SetInputFormat(row.query);
        const std::string what =
            std::to_string(row.before.size()) + " before, query " + std::to_string(row.query);
        ASSERT_TRUE(converter->CheckInputFormat(check).ok()) << what;
        EXPECT_EQ(check.changed, row.changed) << what;
        EXPECT_EQ(check.notify, row.notify) << what;
        EXPECT_EQ(converter->InputFormat(), row.input) << what;
        EXPECT_EQ(converter->LastFormat(), row.last) << what;
    }
}

// ---- save, revert and factory settings ----

IdFields FieldsWith(const char* sn, const char* id, const char* name) {
    IdFields f;
    f.enabled = true;
    f.did = 0x52;
    f.sn = sn;
    f.model = "KTP-RGB-SDI";
    f.id = id;
    f.name = name;
    return f;
}

TEST(ConverterTest, ASavePutsTheStagedIdRecordFirstAndWritesItOnlyWhenItDiffers) {
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb));
    std::array<std::uint8_t, kSimIdStorageSize> storage{};
    for (std::size_t i = 0; i < storage.size(); ++i) {
        storage[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    sim->SetIdStorage(storage);
    auto converter = On(sim);
    ASSERT_TRUE(
        converter->StageId(FieldsWith("00001234", "KTPRGB_00001234", "スタジオ"), kIdFieldsAll)
            .ok());
    const Outcome saved = converter->CommitGeneral(false);
    ASSERT_TRUE(saved.ok());
    EXPECT_FALSE(converter->Id().owed);
    EXPECT_EQ(sim->LoggedCommands(), (std::vector<std::uint8_t>{0x11, 0x12, 0x09}));
    const auto after = sim->IdStorage();
    for (std::size_t i = 261; i < storage.size(); ++i) {
        ASSERT_EQ(after[i], storage[i]) << "the converter's own area, byte " << i;
    }
    // The same record again: read, found equal, not written.
    sim->ClearLog();
    ASSERT_TRUE(
        converter->StageId(FieldsWith("00001234", "KTPRGB_00001234", "スタジオ"), kIdFieldsAll)
            .ok());
    ASSERT_TRUE(converter->CommitGeneral(false).ok());
    EXPECT_EQ(sim->LoggedCommands(), (std::vector<std::uint8_t>{0x11, 0x09}));
    // Nothing owed: the save is the commit alone.
    sim->ClearLog();
    ASSERT_TRUE(converter->CommitGeneral(false).ok());
    EXPECT_EQ(sim->LoggedCommands(), (std::vector<std::uint8_t>{0x09}));
}

TEST(ConverterTest, AFailedStoreSavesNothingAndTheNextSaveTriesAgain) {
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb));
    auto converter = On(sim);
    ASSERT_TRUE(converter->StageId(FieldsWith("1", "A", ""), kIdFieldsAll).ok());
    sim->AddFault(SimFaultSpec{SimFaultKind::ErrorCode, 0x0C, 0x12, 1, 0});
    EXPECT_EQ(converter->CommitGeneral(false).fault, Fault::kNoResponse);
    EXPECT_TRUE(converter->Id().owed);
    EXPECT_TRUE(converter->CommitGeneral(false).ok());
    EXPECT_EQ(sim->LoggedCommands(), (std::vector<std::uint8_t>{0x11, 0x12, 0x11, 0x12, 0x09}));

    // Fields that make no valid record are refused before anything is sent.
    sim->ClearLog();
    IdFields bad = FieldsWith("1", "A", "");
    bad.did = 0x60;
    EXPECT_EQ(converter->StageId(bad, kIdFieldsAll).fault, Fault::kRefused);
    EXPECT_TRUE(sim->Log().empty());
}

TEST(ConverterTest, RevertLeavesTheStagedIdRecordForTheNextSave) {
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Dvi));
    auto converter = On(sim);
    ASSERT_TRUE(converter->StageId(FieldsWith("9", "X", ""), kIdFieldsAll).ok());
    ASSERT_TRUE(converter->Revert().ok());
    EXPECT_EQ(sim->Log(), (std::vector<SimRequest>{{0x09, {0x00, 0x01}}}));
    EXPECT_TRUE(converter->Id().owed);
}

TEST(ConverterTest, FactorySettingsClearTheIdGroupOnlyWhenAsked) {
    for (const bool resetId : {true, false}) {
        auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Dvi));
        auto converter = On(sim);
        ASSERT_TRUE(converter->Start().ok());
        sim->ClearLog();
        const Outcome sent = converter->FactorySettings(resetId);
        ASSERT_TRUE(sent.ok());
        // The cable detection read at start-up is switched on without asking again.
        EXPECT_EQ(sim->LoggedCommands(), (std::vector<std::uint8_t>{0x15, 0x08}));
        EXPECT_EQ(converter->Id().reset != 0, resetId);
        EXPECT_EQ(sent.SkippedText().find("ID settings (left as stored)") != std::string::npos, !resetId);
    }
}

}  // namespace
}  // namespace vexilo::model
